#include "pipeline/frame_driver.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "pipeline/band_balance.h"
#include "pipeline/drawn_area.h"
#include "platform/worker_thread.h"
#include "raster/draw_span_reference.h"
#include "raster/span_routines.h"

namespace quorvel {
namespace {

// Zoom repeats every kZoomCycleFrames frames and the rotation every 512 from frame 0 on,
// so the whole animation repeats after their least common multiple.
constexpr uint64_t kAnimationPeriod = 57 * 512;
static_assert(kAnimationPeriod % kZoomCycleFrames == 0 && kAnimationPeriod % kFramesPerRotationCycle == 0);

struct TimedBand {
    BandJob job;
    const DrawnStrips (*lastDrawn)[kBandCount];  // where the last frame drew, whichever band
    double* seconds;
};

// Clears the band's rows where the last frame drew, then draws the band.
void renderTimedBand(const TimedBand& band) {
    const auto start = std::chrono::steady_clock::now();
    clearDrawnRows(*band.job.viewport, *band.lastDrawn, band.job.rect.top, band.job.rect.bottom);
    renderBand(band.job);
    *band.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void bandWorker(void* band) { renderTimedBand(*static_cast<const TimedBand*>(band)); }

void animate(const Scene& scene, FrameState& state) {
    Animation& animation = state.animation;
    updateRotation(animation);
    transformPoints(animation, scene.vertices.data(), state.mesh.vertices.data(), scene.vertices.size());
    transformPoints(animation, scene.vertexNormals.data(), state.mesh.normals.data(), scene.vertices.size());
    advanceZoom(animation);
}

// Worker b draws band b pinned to processor b; a worker that cannot start has its band
// drawn here instead, so the frame is always complete.
void renderBandsInParallel(TimedBand (&jobs)[kBandCount]) {
    WorkerThread workers[kBandCount];
    for (int b = 0; b < kBandCount; ++b) {
        createWorker(workers[b], bandWorker, &jobs[b]);
        raiseWorkerPriority(workers[b]);
    }
    for (int b = 0; b < kBandCount; ++b) pinWorker(workers[b], b);
    for (int b = 0; b < kBandCount; ++b) {
        if (!startWorker(workers[b])) renderTimedBand(jobs[b]);
    }
    waitForWorkers(workers, kBandCount);
    for (WorkerThread& worker : workers) releaseWorker(worker);
}

// The drawn area's half, moved by what the band times keep saying: a band that took longer
// than the other gives up rows, a little each frame.
int workersSplit(FrameState& state, int height) {
    constexpr double kGain = 0.1;
    const double top = state.bandSeconds[0], bottom = state.bandSeconds[1];
    if (top + bottom > 0.0) state.splitShift -= kGain * height * (top - bottom) / (top + bottom);
    state.splitShift = std::clamp(state.splitShift, -height / 4.0, height / 4.0);
    return std::clamp(balancedSplit(state.drawn, height) + int(std::lround(state.splitShift)), 0, height);
}

}  // namespace

RenderPath fastestRenderPath() { return {fastestSpanRoutine(), true}; }

RenderPath referenceRenderPath() { return {drawSpanReference, false}; }

FrameState startFrames(const Scene& scene, const Viewport& viewport) {
    FrameState state{};
    state.animation = startAnimation(viewport.height);
    state.mesh.vertices.resize(scene.vertices.size());
    state.mesh.normals.resize(scene.vertices.size());
    // What the buffers hold before the first frame is unknown: all of it gets cleared.
    for (int b = 0; b < kBandCount; ++b) {
        state.drawn[b] =
            startDrawnStrips(bandRect(b, viewport.width, viewport.height, middleRow(viewport.height)), true);
    }
    return state;
}

ChangedArea renderFrame(const Scene& scene, const Viewport& viewport, FrameState& state,
                        const RenderPath& path) {
    // Only where the last frame drew differs from the clear values: each band clears its rows
    // of that before drawing them.
    const DrawnStrips lastDrawn[kBandCount] = {state.drawn[0], state.drawn[1]};
    // The workers split the rows where the last frame's work split evenly; the reference
    // keeps the literal halves.
    const int split = path.bandWorkers ? workersSplit(state, viewport.height) : middleRow(viewport.height);
    animate(scene, state);

    TimedBand jobs[kBandCount];
    for (int b = 0; b < kBandCount; ++b) {
        const PixelRect rect = bandRect(b, viewport.width, viewport.height, split);
        state.drawn[b] = startDrawnStrips(rect, false);
        jobs[b] = {
            {rect, &scene, &state.mesh, state.animation.scale, &viewport, path.spanRoutine, &state.drawn[b]},
            &lastDrawn,
            &state.bandSeconds[b]};
    }
    if (path.bandWorkers) {
        renderBandsInParallel(jobs);
    } else {
        for (const TimedBand& job : jobs) renderTimedBand(job);
    }
    advanceFrameCounter(state.animation);
    return changedBetween(lastDrawn, state.drawn, viewport.height);
}

void skipFrames(FrameState& state, uint64_t count) {
    for (uint64_t i = 0; i < count % kAnimationPeriod; ++i) {
        advanceZoom(state.animation);
        advanceFrameCounter(state.animation);
    }
}

}  // namespace quorvel
