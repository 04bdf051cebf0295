#include "frame/frame_driver.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <numeric>

#include "frame/band_order.h"
#include "frame/band_row_hashes.h"
#include "frame/drawn_area.h"
#include "os/worker_thread.h"
#include "raster/draw_span_reference.h"
#include "raster/span_routines.h"

namespace quorvel {
namespace {

// Zoom repeats every kZoomCycleFrames frames and the rotation every 512 from frame 0 on,
// so the whole animation repeats after their least common multiple.
constexpr uint64_t kAnimationPeriod = std::lcm(uint64_t(kZoomCycleFrames), uint64_t(kFramesPerRotationCycle));

// The frame's bands, handed out one at a time to whichever worker asks next.
struct BandQueue {
    BandJob job;                    // every band's job but its rect and record
    const DrawnStrips* lastDrawn;   // where the last frame drew: what the depth buffer holds
    const DrawnStrips* colorDrawn;  // where the frame the colour buffer holds drew
    RowRecord* rowRecords;          // where each band's row records go, when hashing
    int count;
    int order[kMaxBands];
    std::atomic<int> next;  // the place in `order` of the next band to hand out
};

struct Worker {
    BandQueue* queue;
    DrawnStrips drawn;  // where this worker's bands drew
    double seconds;
};

// Takes bands until none is left: clears each one's rows where the frames the buffers hold
// drew, then draws it.
void drawQueuedBands(Worker& worker) {
    const auto start = std::chrono::steady_clock::now();
    BandQueue& queue = *worker.queue;
    const Viewport& viewport = *queue.job.viewport;
    // Bands only change pixels of their own rows, and the workers are joined before the
    // frame is used: handing out the next band orders nothing else.
    for (int taken; (taken = queue.next.fetch_add(1, std::memory_order_relaxed)) < queue.count;) {
        BandJob job = queue.job;
        job.rect = bandRect(queue.order[taken], queue.count, viewport.width, viewport.height);
        job.drawn = &worker.drawn;
        clearDrawnRows(viewport, *queue.colorDrawn, *queue.lastDrawn, job.rect.top, job.rect.bottom);
        renderBand(job);
        if (queue.rowRecords != nullptr)
            hashBandRows(viewport, worker.drawn, job.rect.top, job.rect.bottom, queue.rowRecords);
    }
    worker.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void bandWorker(void* worker) { drawQueuedBands(*static_cast<Worker*>(worker)); }

void animate(const Scene& scene, FrameState& state) {
    Animation& animation = state.animation;
    updateRotation(animation);
    transformPoints(animation, scene.vertices.data(), state.mesh.vertices.data(), scene.vertices.size());
    transformPoints(animation, scene.vertexNormals.data(), state.mesh.normals.data(), scene.vertices.size());
    advanceZoom(animation);
}

// Worker w runs pinned to processor w; a worker that cannot start has its share drawn here
// instead, so the frame is always complete.
void drawBandsInParallel(Worker (&jobs)[kWorkerCount]) {
    WorkerThread workers[kWorkerCount];
    for (int w = 0; w < kWorkerCount; ++w) {
        createWorker(workers[w], bandWorker, &jobs[w]);
        raiseWorkerPriority(workers[w]);
    }
    for (int w = 0; w < kWorkerCount; ++w) pinWorker(workers[w], w);
    for (int w = 0; w < kWorkerCount; ++w) {
        if (!startWorker(workers[w])) drawQueuedBands(jobs[w]);
    }
    waitForWorkers(workers, kWorkerCount);
    for (WorkerThread& worker : workers) releaseWorker(worker);
}

}  // namespace

RenderPath fastestRenderPath() { return {fastestSpanRoutine(), kMaxBands, true}; }

RenderPath referenceRenderPath() { return {drawSpanReference, kReferenceBands, false}; }

FrameState startFrames(const PreparedScene& prepared, const Viewport& viewport) {
    const Scene& scene = prepared.scene();
    FrameState state{};
    state.animation = startAnimation(viewport.height);
    state.mesh.vertices.resize(scene.vertices.size());
    state.mesh.normals.resize(scene.vertices.size());
    // What the buffers hold before the first frame is unknown: all of it gets cleared.
    state.drawn = startDrawnStrips(viewport.width, viewport.height, true);
    return state;
}

void alternateColorBuffers(FrameState& state, const Viewport& viewport) {
    state.twoColorBuffers = true;
    state.drawnBefore = startDrawnStrips(viewport.width, viewport.height, true);
}

void hashEveryFrame(FrameState& state, const Viewport& viewport) { state.rowRecords.resize(viewport.height); }

uint64_t lastFrameHash(const FrameState& state) {
    return hashOfRowRecords(state.rowRecords.data(), int(state.rowRecords.size()));
}

ChangedArea renderFrame(const PreparedScene& prepared, const Viewport& viewport, FrameState& state,
                        const RenderPath& path) {
    // Only where the frames still in the buffers drew differs from the clear values: each
    // band clears its rows of that before it is drawn.
    const Scene& scene = prepared.scene();
    const DrawnStrips lastDrawn = state.drawn;
    // With two colour buffers, this one holds the frame before the last one.
    const DrawnStrips colorDrawn = state.twoColorBuffers ? state.drawnBefore : lastDrawn;
    state.drawnBefore = lastDrawn;
    animate(scene, state);

    BandQueue queue;
    uint8_t* faceBuffer = takesFacesInAnyOrder(path.spanRoutine) ? viewport.faceBuffer : nullptr;
    queue.job = {{},        &scene,           &state.mesh, state.animation.scale,
                 &viewport, path.spanRoutine, nullptr,     faceBuffer};
    queue.lastDrawn = &lastDrawn;
    queue.colorDrawn = &colorDrawn;
    queue.rowRecords = state.rowRecords.empty() ? nullptr : state.rowRecords.data();
    queue.count = std::clamp(std::min<int>(path.bands, viewport.height), 1, kMaxBands);
    // The workers take the bands where the last frame drew most first; the reference keeps
    // to the top half and then the bottom one.
    if (path.bandWorkers) {
        orderBandsByDrawnArea(lastDrawn, queue.count, queue.order);
    } else {
        for (int band = 0; band < queue.count; ++band) queue.order[band] = band;
    }
    queue.next.store(0, std::memory_order_relaxed);

    Worker workers[kWorkerCount];
    for (Worker& worker : workers) {
        worker.queue = &queue;
        worker.drawn = startDrawnStrips(viewport.width, viewport.height, false);
        worker.seconds = 0.0;
    }
    if (path.bandWorkers) {
        drawBandsInParallel(workers);
    } else {
        drawQueuedBands(workers[0]);
    }
    state.drawn = workers[0].drawn;
    for (int w = 1; w < kWorkerCount; ++w) widenDrawnStrips(state.drawn, workers[w].drawn);
    for (int w = 0; w < kWorkerCount; ++w) state.workerSeconds[w] = workers[w].seconds;
    advanceFrameCounter(state.animation);
    return changedBetween(lastDrawn, state.drawn);
}

void skipFrames(FrameState& state, uint64_t count) {
    for (uint64_t i = 0; i < count % kAnimationPeriod; ++i) {
        advanceZoom(state.animation);
        advanceFrameCounter(state.animation);
    }
}

}  // namespace quorvel
