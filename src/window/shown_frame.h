#pragma once

#include "numeric/changed_area.h"

namespace quorvel {

// Whether the window holds the frame shown last. Until the first frame, and after the
// window system asked for its contents again (an exposure, a resize), it may not: the
// whole frame is sent then, and only what changed otherwise.
struct ShownFrame {
    bool wholeFrameNeeded = true;
};

inline void noteContentsLost(ShownFrame& shown) { shown.wholeFrameNeeded = true; }

// What to send of a width x height frame whose `changed` area differs from the frame
// before; from then on the window holds the frame.
inline ChangedArea takeAreaToSend(ShownFrame& shown, const ChangedArea& changed, int width, int height) {
    const ChangedArea area = shown.wholeFrameNeeded ? changedAreaOf({0, height, 0, width}) : changed;
    shown.wholeFrameNeeded = false;
    return area;
}

}  // namespace quorvel
