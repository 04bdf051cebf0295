#include "quorvel-render/frame_times.h"

#include <gtest/gtest.h>

#include "quorvel-render/bench_plot.h"

namespace quorvel {
namespace {

// Nearest-rank percentiles over the frames' own times, however slow: one frame of 14 s
// among 99 of a millisecond is the maximum and the 100th percentile, not clipped anywhere.
TEST(FrameTimes, SummariesAreExactForAnyFrameTime) {
    FrameTimes times;
    for (int i = 0; i < 99; ++i) recordFrameTime(times, 0.001 + 1e-6 * i, 0.5f);
    recordFrameTime(times, 14.404872, 0.5f);
    const FrameTimeSummary summary = summarizeFrameTimes(times);
    EXPECT_DOUBLE_EQ(summary.max, 14.404872);
    EXPECT_DOUBLE_EQ(summary.median, 0.001 + 1e-6 * 49);
    EXPECT_DOUBLE_EQ(summary.p99, 0.001 + 1e-6 * 98);
    EXPECT_NEAR(summary.mean, (99 * 0.001 + 1e-6 * 4851 + 14.404872) / 100, 1e-12);

    FrameTimes slow;
    for (double seconds : {2.5, 3.5, 1.5}) recordFrameTime(slow, seconds, 0.0f);
    const FrameTimeSummary few = summarizeFrameTimes(slow);
    EXPECT_DOUBLE_EQ(few.median, 2.5);
    EXPECT_DOUBLE_EQ(few.p99, 3.5);
    EXPECT_DOUBLE_EQ(few.max, 3.5);
    EXPECT_EQ(summarizeFrameTimes(FrameTimes{}).max, 0.0);
}

// A plot of any length is one SVG picture with both series and both percentile lines;
// titles are escaped.
TEST(BenchPlot, DrawsBothSeriesAndThePercentiles) {
    for (int frames : {1, 300, 20000}) {
        FrameTimes times;
        for (int i = 0; i < frames; ++i) recordFrameTime(times, 0.001 * (1 + i % 7), float(i % 10) / 10);
        const std::string svg = benchPlotSvg(times, summarizeFrameTimes(times), 1200, "a <b> & c");
        EXPECT_TRUE(svg.starts_with("<?xml")) << frames;
        EXPECT_TRUE(svg.ends_with("</svg>\n")) << frames;
        size_t lines = 0;
        for (size_t at = 0; (at = svg.find("<polyline", at)) != std::string::npos; ++at) ++lines;
        EXPECT_EQ(lines, 2u) << frames;
        EXPECT_NE(svg.find("p50 "), std::string::npos);
        EXPECT_NE(svg.find("p99 "), std::string::npos);
        EXPECT_NE(svg.find("a &lt;b&gt; &amp; c"), std::string::npos);
        EXPECT_LT(svg.size(), 200000u) << frames;
    }
}

}  // namespace
}  // namespace quorvel
