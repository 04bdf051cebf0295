// Cost of presenting one 1910x1070 frame through the platform window, the whole of it or
// only a changed quarter in the middle (about what a frame of the cycle changes): the time
// until the next frame may be drawn, which with two shared frames excludes the server's
// copy of this one. Needs a
// display (make bench starts Xvfb for it).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "window/window.h"

namespace {

constexpr int kWidth = 1910, kHeight = 1070;

// The benchmarks' one window, open while they run.
quorvel::DesktopWindow* window = nullptr;

// Arg: 0 the whole frame changes, 1 the middle quarter. Frames are presented from `count`
// buffers in turn.
void presentPixels(benchmark::State& state, uint32_t* const* frames, int count) {
    for (int i = 0; i < count; ++i) std::fill_n(frames[i], size_t(kWidth) * kHeight, 0x00406080u);
    const auto whole = quorvel::changedAreaOf({0, kHeight, 0, kWidth});
    const auto quarter = quorvel::changedAreaOf({kHeight / 4, kHeight * 3 / 4, kWidth / 4, kWidth * 3 / 4});
    const quorvel::ChangedArea& changed = state.range(0) == 0 ? whole : quarter;
    std::string error;
    quorvel::present(*window, frames[0], kWidth, kHeight, whole, error);
    for (int next = 1 % count; auto _ : state) {
        bool free = true;
        quorvel::awaitSharedFrame(*window, next, free, error);
        uint32_t* pixels = frames[next];
        pixels[size_t(kHeight / 2) * kWidth + kWidth / 2] ^= 0xFFu;
        quorvel::present(*window, pixels, kWidth, kHeight, changed, error);
        next = (next + 1) % count;
    }
}

// From memory of our own: the pixels are copied into the window system's buffer.
void presentCopied(benchmark::State& state) {
    std::vector<uint32_t> pixels(size_t(kWidth) * kHeight);
    uint32_t* const frames[] = {pixels.data()};
    presentPixels(state, frames, 1);
}
BENCHMARK(presentCopied)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// From the window's shared frames in turn, as the program presents.
void presentShared(benchmark::State& state) {
    uint32_t* frames[quorvel::kMaxSharedFrames] = {};
    const int count = quorvel::sharedFrames(*window, frames);
    if (count == 0) {
        state.SkipWithError("no shared frame on this display");
        return;
    }
    presentPixels(state, frames, count);
}
BENCHMARK(presentShared)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    quorvel::Desktop desktop{};
    std::string error;
    const quorvel::ScreenRect client{0, 0, kWidth, kHeight};
    if (!quorvel::openDisplay(desktop, error) ||
        (window = quorvel::openWindow(client, "present bench", false, error)) == nullptr ||
        !quorvel::placeWindow(*window, client, error)) {
        std::fprintf(stderr, "present_bench: cannot open a window: %s\n", error.c_str());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    quorvel::closeWindow(window);
    return 0;
}
