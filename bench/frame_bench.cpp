// The whole frame, fast path against reference, in one run over the full zoom cycle:
//   frame_bench [WxH] [frames]
// Each frame is drawn twice from the same animation state: by renderFrame as the programs
// run it (fastest span routine, two band workers) and by the reference span routine on one
// thread. Both are timed, and their colour buffers must agree to the bit.

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

double timeFrame(Scene& scene, Animation& animation, Viewport& viewport, const RenderPath& path) {
    const Clock::time_point start = Clock::now();
    renderFrame(scene, animation, viewport, path);
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
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
    const auto buffer = [&] { return allocatePages(pixels * 4); };
    auto* fastColour = static_cast<uint32_t*>(buffer());
    auto* referenceColour = static_cast<uint32_t*>(buffer());
    auto* fastDepth = static_cast<float*>(buffer());
    auto* referenceDepth = static_cast<float*>(buffer());
    if (!fastColour || !referenceColour || !fastDepth || !referenceDepth) {
        std::fprintf(stderr, "frame_bench: cannot allocate frame buffers\n");
        return 1;
    }
    Viewport fast = makeViewport(uint16_t(width), uint16_t(height), fastColour, fastDepth);
    Viewport reference = makeViewport(uint16_t(width), uint16_t(height), referenceColour, referenceDepth);

    Animation animation = startAnimation(height);
    Times fastTimes, referenceTimes;
    int differing = 0;
    for (int frame = 0; frame < frames; ++frame) {
        Animation replay = animation;
        fastTimes.milliseconds.push_back(timeFrame(scene, animation, fast, fastestRenderPath()));
        referenceTimes.milliseconds.push_back(timeFrame(scene, replay, reference, referenceRenderPath()));
        differing += std::memcmp(fastColour, referenceColour, pixels * 4) != 0;
        advanceFrameCounter(animation);
    }
    std::printf(
        "frame_bench %dx%d, %d frames: renderFrame mean %.3f ms, median %.3f ms, p99 %.3f ms; "
        "reference on one thread mean %.3f ms; speed-up %.2fx; frames differing from the reference: %d\n",
        width, height, frames, fastTimes.mean(), fastTimes.percentile(0.5), fastTimes.percentile(0.99),
        referenceTimes.mean(), referenceTimes.mean() / fastTimes.mean(), differing);
    return differing == 0 ? 0 : 1;
}
