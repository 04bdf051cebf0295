#pragma once

#include <gtest/gtest.h>

#include "numeric/changed_area.h"

namespace quorvel {

// Rectangles one below another inside the frame, none empty: at most one holds a row.
inline void expectStacked(const ChangedArea& area, int width, int height) {
    ASSERT_LE(area.count, kMaxChangedRects);
    int below = 0;
    for (int i = 0; i < area.count; ++i) {
        const PixelRect& rect = area.rects[i];
        ASSERT_FALSE(isEmpty(rect)) << "rectangle " << i;
        ASSERT_GE(rect.top, below) << "rectangle " << i;
        ASSERT_TRUE(rect.left >= 0 && rect.right <= width) << "rectangle " << i;
        below = rect.bottom;
    }
    ASSERT_LE(below, height);
}

}  // namespace quorvel
