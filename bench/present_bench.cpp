// Cost of presenting one 1910x1070 frame through the platform window, the whole of it or
// only a changed quarter in the middle (about what a frame of the cycle changes). Needs a
// display (make bench starts Xvfb for it).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/window/window.h"

namespace {

constexpr int kWidth = 1910, kHeight = 1070;

// The benchmarks' one window, open while they run.
quorvel::DesktopWindow* window = nullptr;

// Arg: 0 the whole frame changes, 1 the middle quarter.
void presentPixels(benchmark::State& state, uint32_t* pixels) {
    std::fill_n(pixels, size_t(kWidth) * kHeight, 0x00406080u);
    const auto whole = quorvel::changedAreaOf({0, kHeight, 0, kWidth});
    const auto quarter = quorvel::changedAreaOf({kHeight / 4, kHeight * 3 / 4, kWidth / 4, kWidth * 3 / 4});
    const quorvel::ChangedArea& changed = state.range(0) == 0 ? whole : quarter;
    std::string error;
    quorvel::present(*window, pixels, kWidth, kHeight, whole, error);
    for (auto _ : state) {
        quorvel::present(*window, pixels, kWidth, kHeight, changed, error);
        pixels[size_t(kHeight / 2) * kWidth + kWidth / 2] ^= 0xFFu;
    }
}

// From memory of our own: the pixels are copied into the window system's buffer.
void presentCopied(benchmark::State& state) {
    std::vector<uint32_t> pixels(size_t(kWidth) * kHeight);
    presentPixels(state, pixels.data());
}
BENCHMARK(presentCopied)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// From the window's shared frame, as the program presents.
void presentShared(benchmark::State& state) {
    uint32_t* shared = quorvel::sharedPixels(*window);
    if (shared == nullptr) {
        state.SkipWithError("no shared frame on this display");
        return;
    }
    presentPixels(state, shared);
}
BENCHMARK(presentShared)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    quorvel::ScreenSize screen{};
    std::string error;
    if (!quorvel::openDisplay(screen, error) ||
        (window = quorvel::openWindow(kWidth, kHeight, "present bench", error)) == nullptr) {
        std::fprintf(stderr, "present_bench: cannot open a window: %s\n", error.c_str());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    quorvel::closeWindow(window);
    return 0;
}
