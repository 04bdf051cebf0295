// The whole frame, fast path against reference, in one run over the full zoom cycle:
//   frame_bench [WxH] [frames]
// The cycle is drawn as the programs run it (fastest span routine, two band workers) and by
// the reference span routine on one thread, each path timed in a pass of its own so none
// evicts another's buffers. A last untimed pass draws both side by side, and every frame
// must come out the same on both.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bench_canvas.h"
#include "frame/frame_driver.h"
#include "quorvel-render/frame_times.h"
#include "scene/preparation.h"

namespace {

using namespace quorvel;
using Clock = std::chrono::steady_clock;

// Each worker's time and how much longer the slower one took than the two workers' mean:
// what a frame waits for, summed over the cycle in seconds.
struct WorkerTimes {
    double worker[2] = {};
    double wait = 0.0;
};

FrameTimes timeCycle(const PreparedScene& scene, const Canvas& canvas, int frames, const RenderPath& path,
                     WorkerTimes& workers) {
    FrameTimes times;
    FrameState state = startFrames(scene, canvas.viewport);
    for (int frame = 0; frame < frames; ++frame) {
        const Clock::time_point start = Clock::now();
        renderFrame(scene, state, path);
        recordFrameTime(times, std::chrono::duration<double>(Clock::now() - start).count(), 0.0f);
        const double first = state.workerSeconds[0], second = state.workerSeconds[1];
        workers.worker[0] += first;
        workers.worker[1] += second;
        workers.wait += std::max(first, second) - (first + second) / 2;
    }
    return times;
}

int countDifferingFrames(const PreparedScene& scene, const Canvas& fast, const Canvas& reference,
                         int frames) {
    FrameState fastState = startFrames(scene, fast.viewport);
    FrameState referenceState = startFrames(scene, reference.viewport);
    int differing = 0;
    for (int frame = 0; frame < frames; ++frame) {
        const DrawnFrame drawn = renderFrame(scene, fastState, fastestRenderPath());
        const DrawnFrame expected = renderFrame(scene, referenceState, referenceRenderPath());
        const size_t bytes = sizeof(uint32_t) * fast.viewport.width * fast.viewport.height;
        differing += std::memcmp(drawn.pixels, expected.pixels, bytes) != 0;
    }
    return differing;
}

double meanMilliseconds(const FrameTimes& times) { return 1e3 * summarizeFrameTimes(times).mean; }

}  // namespace

int main(int argc, char** argv) {
    int width = 1910, height = 1070;
    if (argc > 1 && !parseBenchSize("frame_bench", argv[1], width, height)) return 2;
    const int frames = argc > 2 ? std::atoi(argv[2]) : kZoomCycleFrames;
    if (frames < 1) {
        std::fprintf(stderr, "frame_bench: frames must be at least 1\n");
        return 2;
    }
    static const PreparedScene scene = prepareBuiltInScene();
    Canvas fast, reference;
    if (!fast.allocate(width, height) || !reference.allocate(width, height)) {
        std::fprintf(stderr, "frame_bench: cannot allocate frame buffers\n");
        return 1;
    }
    WorkerTimes fastWorkers, referenceWorkers;
    const FrameTimes fastTimes = timeCycle(scene, fast, frames, fastestRenderPath(), fastWorkers);
    const FrameTimes referenceTimes =
        timeCycle(scene, reference, frames, referenceRenderPath(), referenceWorkers);
    const int differing = countDifferingFrames(scene, fast, reference, frames);
    std::printf(
        "frame_bench %dx%d, %d frames: renderFrame mean %.3f ms, median %.3f ms, p99 %.3f ms; "
        "reference on one thread mean %.3f ms; speed-up %.2fx; frames differing from the reference: %d\n",
        width, height, frames, meanMilliseconds(fastTimes), 1e3 * summarizeFrameTimes(fastTimes).median,
        1e3 * summarizeFrameTimes(fastTimes).p99, meanMilliseconds(referenceTimes),
        meanMilliseconds(referenceTimes) / meanMilliseconds(fastTimes), differing);
    const double perFrame = 1e3 / frames;
    std::printf(
        "frame_bench %dx%d workers: first %.3f ms, second %.3f ms, wait for the slower %.3f ms (%.1f %% "
        "of the frame)\n",
        width, height, fastWorkers.worker[0] * perFrame, fastWorkers.worker[1] * perFrame,
        fastWorkers.wait * perFrame, 100 * fastWorkers.wait * perFrame / meanMilliseconds(fastTimes));
    return differing == 0 ? 0 : 1;
}
