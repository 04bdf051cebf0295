#pragma once

#include <cstdint>
#include <vector>

#include "frame/animation.h"
#include "frame/bands.h"
#include "frame/draw_faces.h"
#include "frame/viewport.h"
#include "numeric/changed_area.h"
#include "numeric/frame_hash.h"
#include "raster/raster_types.h"
#include "scene/preparation.h"

namespace quorvel {

// How a frame is drawn: which span routine, in how many bands, and whether by two band
// workers (one per processor) or one band after another on the calling thread.
struct RenderPath {
    SpanRoutine spanRoutine;
    int bands;  // at most kMaxBands; frames with fewer rows get one band a row
    bool bandWorkers;
};

RenderPath fastestRenderPath();
RenderPath referenceRenderPath();

// What the frame driver carries from one frame to the next.
struct FrameState {
    Animation animation;
    TransformedMesh mesh;                // written on the main thread before the bands start
    DrawnStrips drawn;                   // where the last frame drew
    DrawnStrips drawnBefore;             // where the frame before it drew, with two colour buffers
    bool twoColorBuffers;                // frames alternate between two colour buffers
    double workerSeconds[kWorkerCount];  // how long each worker drew in the last frame
    std::vector<RowRecord> rowRecords;   // the last frame's, when frames are hashed
};

// The state before frame 0 for this scene and drawing area. Everything a frame needs is
// allocated here; drawing allocates nothing.
FrameState startFrames(const PreparedScene& prepared, const Viewport& viewport);

// From the next frame on, each band worker also hashes the rows it draws, and
// lastFrameHash gives the frame's hash (frameHash of the colour buffer) for a fraction of
// what hashing it afterwards costs.
void hashEveryFrame(FrameState& state, const Viewport& viewport);
uint64_t lastFrameHash(const FrameState& state);

// From the next frame on, frames are drawn into two colour buffers in turn (the caller
// passes viewports that differ in their colour buffer alone, one after the other) and one
// depth buffer: each frame clears the colour buffer where the frame before the last drew
// and the depth buffer where the last one drew. What the other buffer holds is not known yet.
void alternateColorBuffers(FrameState& state, const Viewport& viewport);

// Draws the next frame: advances the animation, clears each band of both buffers where the
// frames still in them drew and draws every face into it, and moves on to the next frame number.
// Returns when the frame is in the buffers and no worker exists, with where it may differ
// from the frame before.
ChangedArea renderFrame(const PreparedScene& prepared, const Viewport& viewport, FrameState& state,
                        const RenderPath& path);

// Moves on `count` frames without drawing them, so that the next frame drawn is exactly
// the one drawing them all would have given.
void skipFrames(FrameState& state, uint64_t count);

}  // namespace quorvel
