// What frames cost on one processor, as free of other programs' noise as timing can be:
//   frame_cost_bench [WxH] [first] [count] [draws]
// Frames first..first+count-1 are drawn by both bands in turn on this thread, the whole run
// `draws` times over; each frame keeps its fastest draw. The default is the stretch of the
// zoom cycle where the solid is largest, the frames that make the 99th percentile.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_canvas.h"
#include "frame/frame_driver.h"
#include "scene/preparation.h"

namespace {

using namespace quorvel;

int argumentOr(int argc, char** argv, int index, int fallback) {
    return argc > index ? std::atoi(argv[index]) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    int width = 1910, height = 1070;
    if (argc > 1 && !parseBenchSize("frame_cost_bench", argv[1], width, height)) return 2;
    const int first = argumentOr(argc, argv, 2, 1200), count = argumentOr(argc, argv, 3, 140),
              draws = argumentOr(argc, argv, 4, 3);
    if (first < 0 || count < 1 || draws < 1) {
        std::fprintf(stderr, "frame_cost_bench: first must be 0 or more, count and draws at least 1\n");
        return 2;
    }
    static const PreparedScene scene = prepareBuiltInScene();
    Canvas canvas;
    if (!canvas.allocate(width, height)) {
        std::fprintf(stderr, "frame_cost_bench: cannot allocate frame buffers\n");
        return 1;
    }
    const Viewport& viewport = canvas.viewport;
    RenderPath path = fastestRenderPath();
    path.workers = nullptr;
    std::vector<double> fastest(size_t(count), 1e30);
    for (int draw = 0; draw < draws; ++draw) {
        FrameState state = startFrames(scene, viewport);
        skipFrames(state, uint64_t(first));
        for (double& best : fastest) {
            const auto start = std::chrono::steady_clock::now();
            renderFrame(scene, state, path);
            best = std::min(best,
                            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
    }
    double sum = 0.0;
    for (double seconds : fastest) sum += seconds;
    std::printf(
        "frame_cost_bench %dx%d, frames %d-%d on one thread, fastest of %d draws each: mean %.3f ms, "
        "slowest %.3f ms\n",
        width, height, first, first + count - 1, draws, 1e3 * sum / count,
        1e3 * *std::max_element(fastest.begin(), fastest.end()));
    return 0;
}
