#pragma once

#include "numeric/pixel_rect.h"

namespace quorvel {

inline constexpr int kMaxChangedRects = 32;

// Where a frame may differ from the frame before: rectangles one below another, top to
// bottom, none overlapping. Sending only these keeps the window system's copy to the
// pixels the solid covered in either frame, not the box around both.
struct ChangedArea {
    int count;
    PixelRect rects[kMaxChangedRects];
};

inline ChangedArea changedAreaOf(const PixelRect& rect) {
    ChangedArea area{};
    if (!isEmpty(rect)) area.rects[area.count++] = rect;
    return area;
}

}  // namespace quorvel
