#include "pipeline/frame_driver.h"

#include "pipeline/band_projection.h"
#include "pipeline/drawn_area.h"
#include "platform/worker_thread.h"
#include "raster/span_routines.h"

namespace quorvel {
namespace {

void bandWorker(void* job) { renderBand(*static_cast<const BandJob*>(job)); }

void animate(Scene& scene, Animation& animation) {
    updateRotation(animation);
    transformPoints(animation, scene.vertices, scene.transformedVertices, scene.vertexCount);
    transformPoints(animation, scene.vertexNormals, scene.transformedNormals, scene.vertexCount);
    advanceZoom(animation);
}

// Worker b draws band b pinned to processor b; a worker that cannot start has its band
// drawn here instead, so the frame is always complete.
void renderBandsInParallel(BandJob (&jobs)[kBandCount]) {
    WorkerThread workers[kBandCount];
    for (int b = 0; b < kBandCount; ++b) {
        createWorker(workers[b], bandWorker, &jobs[b]);
        raiseWorkerPriority(workers[b]);
    }
    for (int b = 0; b < kBandCount; ++b) pinWorker(workers[b], b);
    for (int b = 0; b < kBandCount; ++b) {
        if (!startWorker(workers[b])) renderBand(jobs[b]);
    }
    waitForWorkers(workers, kBandCount);
    for (WorkerThread& worker : workers) releaseWorker(worker);
}

}  // namespace

RenderPath fastestRenderPath() { return {fastestSpanRoutine(), true}; }

RenderPath referenceRenderPath() { return {drawSpan, false}; }

void renderFrame(Scene& scene, Animation& animation, Viewport& viewport, const RenderPath& path) {
    // Only where the last frame drew differs from the clear values.
    clearDrawnArea(viewport);
    animate(scene, animation);

    BandJob jobs[kBandCount];
    for (int b = 0; b < kBandCount; ++b)
        jobs[b] = {b, &scene, animation.scale, &viewport, path.drawSpan, &viewport.drawn[b]};
    if (path.bandWorkers) {
        renderBandsInParallel(jobs);
    } else {
        for (const BandJob& job : jobs) renderBand(job);
    }
}

}  // namespace quorvel
