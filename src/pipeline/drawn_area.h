#pragma once

#include "pipeline/viewport.h"

namespace quorvel {

// Rows top..bottom-1 and columns left..right-1 of the frame; empty when either is.
struct PixelRect {
    int top, bottom, left, right;
};

// The smallest rectangle holding every strip where the last frame drew: outside it both
// buffers hold their clear values.
PixelRect drawnBounds(const Viewport& viewport);

// Writes the clear values over the strips of both buffers where the last frame drew, the
// only places that differ from them, and then marks every strip as clear.
void clearDrawnArea(Viewport& viewport);

}  // namespace quorvel
