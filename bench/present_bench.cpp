// Cost of presenting one 1910x1070 frame through the platform window. Needs a display
// (make bench starts Xvfb for it).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/window.h"

namespace {

constexpr int kWidth = 1910, kHeight = 1070;

void presentPixels(benchmark::State& state, uint32_t* pixels) {
    std::fill_n(pixels, size_t(kWidth) * kHeight, 0x00406080u);
    for (auto _ : state) {
        quorvel::present(pixels, kWidth, kHeight);
        pixels[size_t(state.iterations()) % (size_t(kWidth) * kHeight)] ^= 0xFFu;
    }
}

// From memory of our own: the pixels are copied into the window system's buffer.
void presentCopied(benchmark::State& state) {
    std::vector<uint32_t> pixels(size_t(kWidth) * kHeight);
    presentPixels(state, pixels.data());
}
BENCHMARK(presentCopied)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// From the window's shared frame, as the program presents.
void presentShared(benchmark::State& state) {
    if (quorvel::windowFrameBuffer() == nullptr) {
        state.SkipWithError("no shared frame on this display");
        return;
    }
    presentPixels(state, quorvel::windowFrameBuffer());
}
BENCHMARK(presentShared)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    quorvel::ScreenSize screen{};
    std::string error;
    if (!quorvel::openDisplay(screen, error) ||
        !quorvel::openWindow(kWidth, kHeight, "present bench", error)) {
        std::fprintf(stderr, "present_bench: cannot open a window: %s\n", error.c_str());
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    quorvel::closeWindow();
    return 0;
}
