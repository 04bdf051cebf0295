// The whole frame, fast path against reference, in one run over the full zoom cycle:
//   frame_bench [WxH] [frames]
// The cycle is drawn as the programs run it (fastest span routine, two band workers) and by
// the reference span routine on one thread, each path once timed and once hashed. Each pass
// runs alone, so none evicts another's buffers; every frame's colour buffer must hash the
// same on both paths.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "pipeline/frame_driver.h"
#include "platform/pages.h"
#include "scene/preparation.h"

namespace {

using namespace quorvel;
using Clock = std::chrono::steady_clock;

struct Times {
    std::vector<double> milliseconds;

    double mean() const {
        double sum = 0;
        for (double t : milliseconds) sum += t;
        return sum / double(milliseconds.size());
    }
    double percentile(double fraction) const {
        std::vector<double> sorted = milliseconds;
        std::sort(sorted.begin(), sorted.end());
        return sorted[std::min(sorted.size() - 1, size_t(fraction * double(sorted.size())))];
    }
};

// FNV-1a over 64-bit words: quick enough to run on every frame between timings.
uint64_t hashPixels(const uint32_t* pixels, size_t count) {
    uint64_t hash = 14695981039346656037ull;
    for (size_t i = 0; i + 1 < count; i += 2) {
        uint64_t word;
        std::memcpy(&word, pixels + i, sizeof word);
        hash = (hash ^ word) * 1099511628211ull;
    }
    if (count % 2 != 0) hash = (hash ^ pixels[count - 1]) * 1099511628211ull;
    return hash;
}

// Draws `frames` frames of the cycle from its start, on fresh buffers; records each one's
// time, its hash, or both.
void runCycle(Scene& scene, int width, int height, int frames, const RenderPath& path, Times* times,
              std::vector<uint64_t>* hashes, uint32_t* colour, float* depth) {
    const size_t pixels = size_t(width) * height;
    Viewport viewport = makeViewport(uint16_t(width), uint16_t(height), colour, depth);
    Animation animation = startAnimation(viewport.height);
    for (int frame = 0; frame < frames; ++frame) {
        const Clock::time_point start = Clock::now();
        renderFrame(scene, animation, viewport, path);
        if (times)
            times->milliseconds.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (hashes) hashes->push_back(hashPixels(viewport.colorBuffer, pixels));
        advanceFrameCounter(animation);
    }
}

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
    Times fastTimes, referenceTimes;
    std::vector<uint64_t> fastHashes, referenceHashes;
    // Hashing reads the whole colour buffer, which would evict what the next frame uses:
    // each path is timed in a cycle of its own and hashed in another.
    runCycle(scene, width, height, frames, fastestRenderPath(), &fastTimes, nullptr, colour, depth);
    runCycle(scene, width, height, frames, fastestRenderPath(), nullptr, &fastHashes, colour, depth);
    runCycle(scene, width, height, frames, referenceRenderPath(), &referenceTimes, nullptr, colour, depth);
    runCycle(scene, width, height, frames, referenceRenderPath(), nullptr, &referenceHashes, colour, depth);
    int differing = 0;
    for (int frame = 0; frame < frames; ++frame)
        differing += fastHashes[size_t(frame)] != referenceHashes[size_t(frame)];
    std::printf(
        "frame_bench %dx%d, %d frames: renderFrame mean %.3f ms, median %.3f ms, p99 %.3f ms; "
        "reference on one thread mean %.3f ms; speed-up %.2fx; frames differing from the reference: %d\n",
        width, height, frames, fastTimes.mean(), fastTimes.percentile(0.5), fastTimes.percentile(0.99),
        referenceTimes.mean(), referenceTimes.mean() / fastTimes.mean(), differing);
    return differing == 0 ? 0 : 1;
}
