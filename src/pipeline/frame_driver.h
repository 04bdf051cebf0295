#pragma once

#include <cstdint>

#include "pipeline/animation.h"
#include "pipeline/bands.h"
#include "pipeline/draw_faces.h"
#include "pipeline/viewport.h"
#include "raster/raster_types.h"
#include "scene/changed_area.h"
#include "scene/scene.h"

namespace quorvel {

// How a frame's bands are drawn: which span routine, and whether by two band workers
// (one per processor) or one after the other on the calling thread.
struct RenderPath {
    SpanRoutine spanRoutine;
    bool bandWorkers;
};

RenderPath fastestRenderPath();
RenderPath referenceRenderPath();

// What the frame driver carries from one frame to the next.
struct FrameState {
    Animation animation;
    TransformedMesh mesh;            // written on the main thread before the bands start
    DrawnStrips drawn[kBandCount];   // where each band drew in the last frame
    double bandSeconds[kBandCount];  // how long each band took in the last frame
    double splitShift;               // rows the timings move the split off the drawn area's half
};

// The state before frame 0 for this scene and drawing area. Everything a frame needs is
// allocated here; drawing allocates nothing.
FrameState startFrames(const Scene& scene, const Viewport& viewport);

// Draws the next frame: clears both buffers where the last frame drew, advances the
// animation, draws every face into both bands and moves on to the next frame number.
// Returns when the frame is in the buffers and no worker exists, with where it may differ
// from the frame before.
ChangedArea renderFrame(const Scene& scene, const Viewport& viewport, FrameState& state,
                        const RenderPath& path);

// Moves on `count` frames without drawing them, so that the next frame drawn is exactly
// the one drawing them all would have given.
void skipFrames(FrameState& state, uint64_t count);

}  // namespace quorvel
