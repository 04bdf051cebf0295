#pragma once

#include <cstdint>
#include <vector>

#include "frame/animation.h"
#include "frame/band_workers.h"
#include "frame/bands.h"
#include "frame/draw_faces.h"
#include "frame/frame_buffers.h"
#include "frame/viewport.h"
#include "numeric/changed_area.h"
#include "numeric/frame_hash.h"
#include "raster/raster_types.h"
#include "scene/preparation.h"

namespace quorvel {

// How a frame is drawn: which span routine, in how many bands, and by which band workers or
// one band after another on the calling thread.
struct RenderPath {
    SpanRoutine spanRoutine;
    int bands;                   // at most kMaxBands; frames with fewer rows get one band a row
    const BandWorkers* workers;  // null: the calling thread; must outlast the frames drawn
};

// The fastest span routine on `workers`, in as many bands as suit them; without an argument,
// two workers started for each frame on processors 0 and 1.
RenderPath fastestRenderPath(const BandWorkers& workers = twoWorkersEachFrame());
RenderPath referenceRenderPath();

// What the frame driver carries from one frame to the next: the drawing area it was started
// for, whose size every frame has, and the colour buffers frames go into in turn.
struct FrameState {
    Viewport viewport;  // the size, the depth and face buffers; its colour buffer is the first
    Animation animation;
    TransformedMesh mesh;  // written on the main thread before the bands start
    int colorBufferCount;  // 1 to kMaxColorBuffers
    int nextColorBuffer;   // the one the next frame is drawn into
    uint32_t* colorBuffers[kMaxColorBuffers];
    DrawnStrips colorDrawn[kMaxColorBuffers];  // where the frame each colour buffer holds drew
    DrawnStrips drawn;                         // where the last frame drew: what the depth buffer holds
    // Each worker's own record of where it drew, and how long it drew, in the last frame.
    std::vector<DrawnStrips> workerDrawn;  // kMaxWorkers of them
    std::vector<double> workerSeconds;
    std::vector<RowRecord> rowRecords;  // the last frame's, when frames are hashed
    // When bands are timed: the last frame's band count, the order they were handed out in,
    // and how long each one took to clear and draw, by band number.
    int bandCount;
    std::vector<int> bandOrder;
    std::vector<double> bandSeconds;
    double (*bandClock)();  // seconds from any fixed point
};

// The state before frame 0 for this scene, drawing into `viewport`'s buffers. Everything a
// frame needs is allocated here; drawing allocates nothing.
FrameState startFrames(const PreparedScene& prepared, const Viewport& viewport);

// From the next frame on, frames are drawn into these `count` colour buffers (1 to
// kMaxColorBuffers, each of the frame's size) in turn, the first one first. What they hold is
// not known yet: each is cleared whole the first time. False, changing nothing, for a count
// out of range or a null buffer.
bool drawIntoColorBuffers(FrameState& state, uint32_t* const* buffers, int count);

// From the next frame on, each band worker also hashes the rows it draws, and
// lastFrameHash gives the frame's hash (frameHash of the colour buffer) for a fraction of
// what hashing it afterwards costs.
void hashEveryFrame(FrameState& state);
uint64_t lastFrameHash(const FrameState& state);

// From the next frame on, each band's drawing time by `clock` is kept (bandOrder,
// bandSeconds), for benchmarks that model more workers than the machine has (a thread's own
// processor time, say, which a busy machine's other programs do not add to).
void timeEveryBand(FrameState& state, double (*clock)());

// A frame just drawn: the colour buffer it is in, and where it may differ from the frame
// before.
struct DrawnFrame {
    const uint32_t* pixels;
    int colorBuffer;  // its place among the colour buffers
    ChangedArea changed;
};

// Draws the next frame: advances the animation, clears each band of the depth buffer and the
// next colour buffer where the frames still in them drew and draws every face into it, and
// moves on to the next frame number. Returns when the frame is in the buffers and no worker
// is drawing.
DrawnFrame renderFrame(const PreparedScene& prepared, FrameState& state, const RenderPath& path);

// Moves on `count` frames without drawing them, so that the next frame drawn is exactly
// the one drawing them all would have given.
void skipFrames(FrameState& state, uint64_t count);

}  // namespace quorvel
