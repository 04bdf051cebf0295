// The whole frame, fast path against reference, in one run over the full zoom cycle:
//   frame_bench [WxH] [frames]
// The cycle is drawn as the programs run it (fastest span routine, two band workers) and by
// the reference span routine on one thread, each path once timed and once hashed. Each pass
// runs alone, so none evicts another's buffers; every frame's colour buffer must hash the
// same on both paths.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "pipeline/frame_driver.h"
#include "pipeline/frame_hash.h"
#include "platform/pages.h"
#include "render/frame_times.h"
#include "scene/preparation.h"

namespace {

using namespace quorvel;
using Clock = std::chrono::steady_clock;

// Draws `frames` frames of the cycle from its start, on fresh buffers; records each one's
// time, its hash, or both.
void runCycle(const Scene& scene, const Viewport& viewport, int frames, const RenderPath& path,
              FrameTimes* times, std::vector<uint64_t>* hashes) {
    const size_t pixels = size_t{viewport.width} * viewport.height;
    FrameState state = startFrames(scene, viewport);
    for (int frame = 0; frame < frames; ++frame) {
        const Clock::time_point start = Clock::now();
        renderFrame(scene, viewport, state, path);
        if (times) recordFrameTime(*times, std::chrono::duration<double>(Clock::now() - start).count());
        if (hashes) hashes->push_back(frameHash(viewport.colorBuffer, pixels));
    }
}

double meanMilliseconds(const FrameTimes& times) { return 1e3 * times.totalSeconds / double(times.count); }

}  // namespace

int main(int argc, char** argv) {
    int width = 1910, height = 1070;
    if (argc > 1 && (std::sscanf(argv[1], "%dx%d", &width, &height) != 2 || width < 2 || height < 2 ||
                     width > 16384 || height > 16384 || width % 2 != 0 || height % 2 != 0)) {
        std::fprintf(stderr, "frame_bench: size must be WxH, both even, 2 to 16384\n");
        return 2;
    }
    const int frames = argc > 2 ? std::atoi(argv[2]) : kZoomCycleFrames;
    if (frames < 1) {
        std::fprintf(stderr, "frame_bench: frames must be at least 1\n");
        return 2;
    }
    static Scene scene;
    loadBuiltInScene(scene);
    prepareScene(scene);
    const size_t pixels = size_t(width) * height;
    // Buffers from the same page allocator the programs use.
    auto* colour = static_cast<uint32_t*>(allocatePages(pixels * 4));
    auto* depth = static_cast<float*>(allocatePages(pixels * 4));
    if (!colour || !depth) {
        std::fprintf(stderr, "frame_bench: cannot allocate frame buffers\n");
        return 1;
    }
    const Viewport viewport = makeViewport(uint16_t(width), uint16_t(height), colour, depth);
    FrameTimes fastTimes = makeFrameTimes(), referenceTimes = makeFrameTimes();
    std::vector<uint64_t> fastHashes, referenceHashes;
    // Hashing reads the whole colour buffer, which would evict what the next frame uses:
    // each path is timed in a cycle of its own and hashed in another.
    runCycle(scene, viewport, frames, fastestRenderPath(), &fastTimes, nullptr);
    runCycle(scene, viewport, frames, fastestRenderPath(), nullptr, &fastHashes);
    runCycle(scene, viewport, frames, referenceRenderPath(), &referenceTimes, nullptr);
    runCycle(scene, viewport, frames, referenceRenderPath(), nullptr, &referenceHashes);
    int differing = 0;
    for (int frame = 0; frame < frames; ++frame)
        differing += fastHashes[size_t(frame)] != referenceHashes[size_t(frame)];
    std::printf(
        "frame_bench %dx%d, %d frames: renderFrame mean %.3f ms, median %.3f ms, p99 %.3f ms; "
        "reference on one thread mean %.3f ms; speed-up %.2fx; frames differing from the reference: %d\n",
        width, height, frames, meanMilliseconds(fastTimes), 1e3 * frameTimePercentile(fastTimes, 0.5),
        1e3 * frameTimePercentile(fastTimes, 0.99), meanMilliseconds(referenceTimes),
        meanMilliseconds(referenceTimes) / meanMilliseconds(fastTimes), differing);
    return differing == 0 ? 0 : 1;
}
