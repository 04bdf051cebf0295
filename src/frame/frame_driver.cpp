#include "frame/frame_driver.h"

#include <algorithm>
#include <chrono>
#include <numeric>

#include "frame/band_order.h"
#include "frame/band_queue.h"
#include "frame/band_row_hashes.h"
#include "frame/band_workers.h"
#include "frame/drawn_area.h"
#include "raster/draw_span_reference.h"
#include "raster/span_routines.h"

namespace quorvel {
namespace {

// Zoom repeats every kZoomCycleFrames frames and the rotation every 512 from frame 0 on,
// so the whole animation repeats after their least common multiple.
constexpr uint64_t kAnimationPeriod = std::lcm(uint64_t(kZoomCycleFrames), uint64_t(kFramesPerRotationCycle));

// One frame's bands and what drawing each of them needs.
struct FrameJob {
    BandJob job;                    // every band's job but its rect and record
    const DrawnStrips* lastDrawn;   // where the last frame drew: what the depth buffer holds
    const DrawnStrips* colorDrawn;  // where the frame the colour buffer holds drew
    RowRecord* rowRecords;          // where each band's row records go, when hashing
    double* bandSeconds;            // where each band's time goes, when timing bands
    double (*bandClock)();
    BandCut cut;
    BandQueue queue;
    DrawnStrips* drawn;  // where each worker's bands drew
    double* seconds;     // how long each worker drew
};

// Takes bands until none is left: clears each one's rows where the frames the buffers hold
// drew, then draws it.
void drawQueuedBands(int worker, void* context) {
    const auto start = std::chrono::steady_clock::now();
    FrameJob& frame = *static_cast<FrameJob*>(context);
    const Viewport& viewport = *frame.job.viewport;
    for (int band; (band = takeBand(frame.queue)) >= 0;) {
        const double bandStart = frame.bandSeconds != nullptr ? frame.bandClock() : 0.0;
        BandJob job = frame.job;
        job.rect = bandRectOf(frame.cut, band, viewport.width);
        job.drawn = &frame.drawn[worker];
        clearDrawnRows(viewport, *frame.colorDrawn, *frame.lastDrawn, job.rect.top, job.rect.bottom);
        renderBand(job);
        if (frame.rowRecords != nullptr)
            hashBandRows(viewport, frame.drawn[worker], job.rect.top, job.rect.bottom, frame.rowRecords);
        if (frame.bandSeconds != nullptr) frame.bandSeconds[band] = frame.bandClock() - bandStart;
    }
    frame.seconds[worker] = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// What the buffers hold is not known yet: the first frame in each clears it whole.
void useColorBuffers(FrameState& state, uint32_t* const* buffers, int count) {
    state.colorBufferCount = count;
    state.nextColorBuffer = 0;
    for (int i = 0; i < count; ++i) {
        state.colorBuffers[i] = buffers[i];
        state.colorDrawn[i] = startDrawnStrips(state.viewport.width, state.viewport.height, true);
    }
}

void animate(const Scene& scene, FrameState& state) {
    Animation& animation = state.animation;
    updateRotation(animation);
    transformPoints(animation, scene.vertices.data(), state.mesh.vertices.data(), scene.vertices.size());
    transformPoints(animation, scene.vertexNormals.data(), state.mesh.normals.data(), scene.vertices.size());
    advanceZoom(animation);
}

}  // namespace

RenderPath fastestRenderPath(const BandWorkers& workers) {
    return {fastestSpanRoutine(), bandCountFor(workers.count), &workers};
}

RenderPath referenceRenderPath() { return {drawSpanReference, kReferenceBands, nullptr}; }

FrameState startFrames(const PreparedScene& prepared, const Viewport& viewport) {
    const Scene& scene = prepared.scene();
    FrameState state{};
    state.viewport = viewport;
    state.animation = startAnimation(viewport.height);
    state.mesh.vertices.resize(scene.vertices.size());
    state.mesh.normals.resize(scene.vertices.size());
    // What the buffers hold before the first frame is unknown: all of it gets cleared.
    state.drawn = startDrawnStrips(viewport.width, viewport.height, true);
    state.workerDrawn.resize(kMaxWorkers);
    state.workerSeconds.resize(kMaxWorkers);
    useColorBuffers(state, &state.viewport.colorBuffer, 1);
    return state;
}

bool drawIntoColorBuffers(FrameState& state, uint32_t* const* buffers, int count) {
    if (count < 1 || count > kMaxColorBuffers ||
        std::find(buffers, buffers + count, nullptr) != buffers + count)
        return false;
    useColorBuffers(state, buffers, count);
    return true;
}

void hashEveryFrame(FrameState& state) { state.rowRecords.resize(state.viewport.height); }

void timeEveryBand(FrameState& state, double (*clock)()) {
    state.bandClock = clock;
    state.bandOrder.resize(kMaxBands);
    state.bandSeconds.resize(kMaxBands);
}

uint64_t lastFrameHash(const FrameState& state) {
    return hashOfRowRecords(state.rowRecords.data(), int(state.rowRecords.size()));
}

DrawnFrame renderFrame(const PreparedScene& prepared, FrameState& state, const RenderPath& path) {
    const Scene& scene = prepared.scene();
    const int into = state.nextColorBuffer;
    Viewport viewport = state.viewport;
    viewport.colorBuffer = state.colorBuffers[into];
    // Only where the frames still in the buffers drew differs from the clear values: each
    // band clears its rows of that before it is drawn.
    const DrawnStrips lastDrawn = state.drawn;
    const DrawnStrips colorDrawn = state.colorDrawn[into];
    animate(scene, state);

    FrameJob frame;
    uint8_t* faceBuffer = takesFacesInAnyOrder(path.spanRoutine) ? viewport.faceBuffer : nullptr;
    frame.job = {{},        &scene,           &state.mesh, state.animation.scale,
                 &viewport, path.spanRoutine, nullptr,     faceBuffer};
    frame.lastDrawn = &lastDrawn;
    frame.colorDrawn = &colorDrawn;
    frame.rowRecords = state.rowRecords.empty() ? nullptr : state.rowRecords.data();
    frame.bandSeconds = state.bandSeconds.empty() ? nullptr : state.bandSeconds.data();
    frame.bandClock = state.bandClock;
    BandQueue& queue = frame.queue;
    // The workers cut the rows the solid falls in into the bands and take those where the
    // last frame drew most first; the reference keeps to the top half and then the bottom one.
    if (path.workers != nullptr) {
        const RowSpan rows = rowsOfMesh(state.mesh, state.animation.scale, viewport, viewport.height);
        frame.cut = bandsAround(path.bands, rows.top, rows.bottom, viewport.height);
        orderBandsByDrawnArea(lastDrawn, frame.cut, queue.order);
    } else {
        frame.cut = evenBands(std::min<int>(path.bands, viewport.height), viewport.height);
        for (int band = 0; band < frame.cut.count; ++band) queue.order[band] = band;
    }
    queue.count = frame.cut.count;
    queue.next.store(0, std::memory_order_relaxed);
    state.bandCount = queue.count;
    if (!state.bandOrder.empty()) std::copy(queue.order, queue.order + queue.count, state.bandOrder.begin());
    const int workers = path.workers != nullptr ? path.workers->count : 1;
    frame.drawn = state.workerDrawn.data();
    frame.seconds = state.workerSeconds.data();
    for (int w = 0; w < workers; ++w) {
        frame.drawn[w] = startDrawnStrips(viewport.width, viewport.height, false);
        frame.seconds[w] = 0.0;
    }
    if (path.workers != nullptr) {
        runOnBandWorkers(*path.workers, drawQueuedBands, &frame);
    } else {
        drawQueuedBands(0, &frame);
    }

    state.drawn = frame.drawn[0];
    for (int w = 1; w < workers; ++w) widenDrawnStrips(state.drawn, frame.drawn[w]);
    state.colorDrawn[into] = state.drawn;
    state.nextColorBuffer = (into + 1) % state.colorBufferCount;
    advanceFrameCounter(state.animation);
    return {viewport.colorBuffer, into, changedBetween(lastDrawn, state.drawn)};
}

void skipFrames(FrameState& state, uint64_t count) {
    for (uint64_t i = 0; i < count % kAnimationPeriod; ++i) {
        advanceZoom(state.animation);
        advanceFrameCounter(state.animation);
    }
}

}  // namespace quorvel
