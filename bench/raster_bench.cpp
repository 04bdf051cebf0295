// Microbenchmarks of the inner routines: span shading (reference and fast, short and
// long; lit, hidden and unlit), triangle walking and buffer clearing.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "numeric/fill_buffer.h"
#include "raster/draw_span_avx2.h"
#include "raster/draw_span_avx512.h"
#include "raster/draw_span_avx512vl.h"
#include "raster/draw_span_reference.h"
#include "raster/draw_triangle.h"
#include "raster/span_routines.h"
#include "scene/preparation.h"

namespace quorvel {
namespace {

constexpr int kWidth = 1910, kHeight = 1070;

struct Canvas {
    std::vector<uint32_t> color = std::vector<uint32_t>(size_t(kWidth) * kHeight);
    std::vector<float> depth = std::vector<float>(size_t(kWidth) * kHeight, kClearDepth);
    const PreparedScene prepared;
    const Scene& scene = prepared.scene();
    explicit Canvas(const ApproxModel& approx = defaultApprox()) : prepared(prepareBuiltInScene(approx)) {}
    RasterTarget target(SpanRoutine routine) {
        return {{0, kHeight, 0, kWidth},
                kWidth,
                color.data(),
                depth.data(),
                &scene.texture,
                scene.lights,
                scene.approx,
                routine,
                nullptr,
                nullptr,
                0};
    }
};

SpanEnd end(int x, float u, float v, float depth, float nx, float ny, float nz) {
    return {x, {{u, v, depth, 0.0f}}, {{nx, ny, nz, 0.0f}}};
}

const ApproxModel* const kModels[] = {&defaultApprox(), &kIntelApprox, &kAmdApprox};

// Args: span length; the kind of span: 0 lit, 1 hidden behind what is already drawn, 2 drawn
// but facing away from every light; and the approximations: 0 the default, 1 intel, 2 amd.
template <SpanRoutine routine>
void span(benchmark::State& state) {
    std::string unavailable;
    if (spanRoutineNamed(spanRoutineName(routine), unavailable) == nullptr) {
        state.SkipWithError(unavailable.c_str());
        return;
    }
    Canvas canvas(*kModels[state.range(2)]);
    const int length = int(state.range(0));
    const bool hidden = state.range(1) == 1;
    const float facing = state.range(1) == 2 ? -1.0f : 1.0f;
    if (hidden) std::fill(canvas.depth.begin(), canvas.depth.end(), 0.0f);
    const RasterTarget target = canvas.target(routine);
    const SpanEnd a = end(3, 2.0f, 120.0f, 1100.0f, 0.3f * facing, -0.2f * facing, 0.9f * facing);
    const SpanEnd b = end(3 + length, 126.0f, 10.0f, 900.0f, -0.5f * facing, 0.4f * facing, 0.6f * facing);
    int row = 0;
    for (auto _ : state) {
        routine(row, a, b, target);
        if (!hidden) std::fill_n(canvas.depth.begin() + row * kWidth, kWidth, kClearDepth);
        row = (row + 1) % kHeight;
    }
    state.SetItemsProcessed(state.iterations() * length);
}
BENCHMARK_TEMPLATE(span, drawSpanReference)->ArgsProduct({{16, 1500}, {0, 1, 2}, {0}});
BENCHMARK_TEMPLATE(span, drawSpanAvx2)->ArgsProduct({{16, 1500}, {0, 1, 2}, {0}});
BENCHMARK_TEMPLATE(span, drawSpanAvx2)->ArgsProduct({{1500}, {0}, {1, 2}});
BENCHMARK_TEMPLATE(span, drawSpanAvx512Vl)->ArgsProduct({{16, 1500}, {0, 1, 2}, {0}});
BENCHMARK_TEMPLATE(span, drawSpanAvx512)->ArgsProduct({{16, 1500}, {0, 1, 2}, {0}});
BENCHMARK_TEMPLATE(span, drawSpanAvx512)->ArgsProduct({{1500}, {0}, {1, 2}});

void triangle(benchmark::State& state) {
    Canvas canvas;
    const RasterTarget target = canvas.target(drawSpanAvx2);
    const TriangleVertex a = {{955, 100}, 900.0f, {{0.1f, 0.2f, 0.9f, 0.0f}}, 64, 0};
    const TriangleVertex b = {{500, 900}, 1000.0f, {{-0.4f, 0.1f, 0.8f, 0.0f}}, 0, 127};
    const TriangleVertex c = {{1400, 800}, 1100.0f, {{0.5f, -0.3f, 0.7f, 0.0f}}, 127, 127};
    for (auto _ : state) {
        std::fill(canvas.depth.begin(), canvas.depth.end(), kClearDepth);
        drawTriangle(a, b, c, target);
    }
}
BENCHMARK(triangle)->Unit(benchmark::kMillisecond);

void clearFrame(benchmark::State& state) {
    std::vector<uint32_t> buffer(size_t(kWidth) * kHeight);
    for (auto _ : state) {
        fillBuffer(buffer.data(), buffer.size(), kClearDepthBits);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * int64_t(buffer.size() * 4));
}
BENCHMARK(clearFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace quorvel

BENCHMARK_MAIN();
