#pragma once

#include <cstddef>
#include <vector>

#include "quorvel-render/frame_time_histogram.h"

namespace quorvel {

// Every frame's drawing time, and how much of the frame its solid's strips covered, in
// frame order: kept only for --bench and --bench-plot, 12 bytes a frame.
struct FrameTimes {
    std::vector<double> seconds;
    std::vector<float> drawnShares;  // 0 to 1
};

void recordFrameTime(FrameTimes& times, double seconds, float drawnShare);

// Exact figures over every recorded frame; percentiles by nearest rank.
struct FrameTimeSummary {
    double mean, median, p99, max;  // seconds
};
FrameTimeSummary summarizeFrameTimes(const FrameTimes& times);

// A report's figures, exact, over every frame after the first kReportWarmUpFrames (the caches
// and clocks settling), which are counted apart; a run of no more frames than that keeps all.
inline constexpr size_t kReportWarmUpFrames = 10;
FrameTimeStatistics reportStatistics(const FrameTimes& times);

}  // namespace quorvel
