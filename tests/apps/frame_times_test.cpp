#include "quorvel-render/frame_times.h"

#include <gtest/gtest.h>

#include <regex>

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

size_t occurrences(const std::string& text, const std::string& part) {
    size_t found = 0;
    for (size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size()) ++found;
    return found;
}

// Frames of 1 to 1.9 ms, with `slow` frames of 40 ms spread evenly among them, the last
// of those 225.3 ms.
FrameTimes runWithSlowFrames(int frames, int slow) {
    FrameTimes times;
    for (int i = 0; i < frames; ++i) recordFrameTime(times, 0.001 + 0.0001 * (i % 10), 0.3f);
    for (int k = 0; k < slow; ++k)
        times.seconds[size_t((2 * k + 1) * frames / (2 * slow))] = k + 1 < slow ? 0.040 : 0.2253;
    return times;
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
        EXPECT_EQ(occurrences(svg, "<polyline") + occurrences(svg, "<circle"), 2u) << frames;
        EXPECT_NE(svg.find("median "), std::string::npos);
        EXPECT_NE(svg.find("99th percentile "), std::string::npos);
        EXPECT_NE(svg.find("a &lt;b&gt; &amp; c"), std::string::npos);
        EXPECT_LT(svg.size(), 200000u) << frames;
    }
}

// Titles, tick labels, the legend and the figures all stand outside the plotted area.
TEST(BenchPlot, WritesNothingOnThePlottedArea) {
    for (const FrameTimes& times :
         {runWithSlowFrames(1, 0), runWithSlowFrames(2000, 0), runWithSlowFrames(2000, 12)}) {
        const std::string svg = benchPlotSvg(times, summarizeFrameTimes(times), 0, "run");
        std::smatch area;
        ASSERT_TRUE(std::regex_search(
            svg, area,
            std::regex(
                "<rect x='([0-9.]+)' y='([0-9.]+)' width='([0-9.]+)' height='([0-9.]+)' fill='none'")));
        const double left = std::stod(area[1]), top = std::stod(area[2]);
        const double right = left + std::stod(area[3]), bottom = top + std::stod(area[4]);
        const std::regex text("<text[^>]* x='([0-9.]+)' y='([0-9.]+)'[^>]*>([^<]*)<");
        size_t texts = 0;
        for (auto at = std::sregex_iterator(svg.begin(), svg.end(), text); at != std::sregex_iterator();
             ++at, ++texts) {
            const double x = std::stod((*at)[1]), y = std::stod((*at)[2]);
            // The baseline's point, and the top of the letters 12 pixels above it.
            EXPECT_FALSE(x > left && x < right && y - 12 < bottom && y > top)
                << (*at)[3] << " at " << x << "," << y;
        }
        EXPECT_GT(texts, 10u);
    }
}

// The time axis is set by the bulk of the frames; the few slower ones are counted, marked
// at the top and the slowest named, in the legend.
TEST(BenchPlot, CountsAndMarksTheFramesAboveTheAxis) {
    const FrameTimes times = runWithSlowFrames(2000, 12);
    const FrameTimeSummary summary = summarizeFrameTimes(times);
    ASSERT_NEAR(summary.max, 0.2253, 1e-12);
    const std::string svg = benchPlotSvg(times, summary, 0, "run");
    EXPECT_NE(svg.find(">12 frames above 3.0 ms, slowest 225.300 ms<"), std::string::npos);
    EXPECT_NE(svg.find(">3.0</text>"), std::string::npos);   // the axis's top label
    EXPECT_EQ(occurrences(svg, "l3.5,-6l3.5,6z"), 12u + 1);  // one a frame, one in the legend

    FrameTimes one = runWithSlowFrames(2000, 0);
    recordFrameTime(one, 0.080, 0.3f);
    EXPECT_NE(
        benchPlotSvg(one, summarizeFrameTimes(one), 0, "run").find(">1 frame above 3.0 ms, at 80.000 ms<"),
        std::string::npos);
    const FrameTimes steady = runWithSlowFrames(2000, 0);
    const std::string none = benchPlotSvg(steady, summarizeFrameTimes(steady), 0, "run");
    EXPECT_EQ(none.find(" above "), std::string::npos);
    EXPECT_NE(none.find(", slowest 1.900 ms<"), std::string::npos);
}

// Frame numbers are labelled exactly up to the last one there is, where a double would
// round them all to 2^64.
TEST(BenchPlot, LabelsFramesExactlyNearTheLastFrameNumber) {
    const FrameTimes times = runWithSlowFrames(615, 0);
    const std::string svg = benchPlotSvg(times, summarizeFrameTimes(times), 18446744073709551000ull, "run");
    for (const char* frame : {">18446744073709551000<", ">18446744073709551200<", ">18446744073709551600<"})
        EXPECT_NE(svg.find(frame), std::string::npos) << frame;
    EXPECT_EQ(svg.find("18446744073709551616"), std::string::npos);
}

}  // namespace
}  // namespace quorvel
