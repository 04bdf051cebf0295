#pragma once

#include "frame/viewport.h"
#include "os/pages.h"

namespace quorvel {

// Frames go into up to this many colour buffers in turn: one; two, so that the window system
// reads one while the next frame is drawn into the other; three, where a compositor may hold
// one besides.
inline constexpr int kMaxColorBuffers = 3;

// A frame's buffers in pages of their own, released with the record: the colour buffers it
// owns (none where the window lends its own), depth and face order. Moved, never copied.
struct FrameBuffers {
    int width = 0, height = 0;
    Pages color[kMaxColorBuffers];
    Pages depth;
    Pages faces;
};

// Buffers for frames of width x height (1 to kMaxFrameSide each) with `colorCount` colour
// buffers of their own, 0 to kMaxColorBuffers. False, with `buffers` holding nothing, when
// memory is refused or the sizes are out of range.
bool allocateFrameBuffers(int width, int height, int colorCount, FrameBuffers& buffers);

// The drawing area over `buffers`: their first colour buffer (null with none), depth and
// face order.
Viewport viewportOf(const FrameBuffers& buffers);

}  // namespace quorvel
