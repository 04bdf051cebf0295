#pragma once

#include "pipeline/viewport.h"
#include "scene/scene.h"

namespace quorvel {

// The smallest rectangle holding every projected vertex, clipped to the frame. A
// triangle's rows run from its top vertex to its bottom one and its spans never leave
// the columns between its outermost vertices, so nothing is drawn outside it.
PixelRect drawnAreaOf(const Scene& scene, float scale, const Viewport& viewport);

// Writes the clear values over `viewport.drawnArea` of both buffers: everything else
// already holds them.
void clearDrawnArea(const Viewport& viewport);

}  // namespace quorvel
