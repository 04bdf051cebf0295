#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "pipeline/animation.h"
#include "pipeline/viewport.h"
#include "raster/raster_types.h"
#include "scene/scene.h"

namespace quorvel {

inline constexpr uint32_t kClearDepthBits = 0x45BB80CD;  // 6000.1f
inline constexpr float kClearDepth = std::bit_cast<float>(kClearDepthBits);

// How a frame's bands are drawn: which span routine, and whether by two band workers
// (one per processor) or one after the other on the calling thread.
struct RenderPath {
    SpanRoutine drawSpan;
    bool bandWorkers;
};

RenderPath fastestRenderPath();
RenderPath referenceRenderPath();

// Writes exactly `count` words equal to `value`.
void fillBuffer(uint32_t* destination, size_t count, uint32_t value);

// Clears both buffers, advances the animation one step and draws every face into both
// bands. Returns when the whole frame is in the buffers and no worker exists.
void renderFrame(Scene& scene, Animation& animation, Viewport& viewport, const RenderPath& path);

}  // namespace quorvel
