#include "quorvel-render/frame_times.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace quorvel {

void recordFrameTime(FrameTimes& times, double seconds, float drawnShare) {
    times.seconds.push_back(seconds);
    times.drawnShares.push_back(drawnShare);
}

FrameTimeSummary summarizeFrameTimes(const FrameTimes& times) {
    if (times.seconds.empty()) return {0.0, 0.0, 0.0, 0.0};
    std::vector<double> sorted = times.seconds;
    std::sort(sorted.begin(), sorted.end());
    const size_t count = sorted.size();
    // The smallest time at least `fraction` of the frames take no longer than.
    const auto rank = [&](double fraction) {
        const auto place = static_cast<size_t>(std::ceil(fraction * static_cast<double>(count)));
        return sorted[std::clamp<size_t>(place, 1, count) - 1];
    };
    const double total = std::accumulate(sorted.begin(), sorted.end(), 0.0);
    return {total / static_cast<double>(count), rank(0.5), rank(0.99), sorted.back()};
}

FrameTimeStatistics reportStatistics(const FrameTimes& times) {
    const size_t warmUp = times.seconds.size() > kReportWarmUpFrames ? kReportWarmUpFrames : 0;
    FrameTimes measured;
    measured.seconds.assign(times.seconds.begin() + std::ptrdiff_t(warmUp), times.seconds.end());
    const FrameTimeSummary summary = summarizeFrameTimes(measured);
    FrameTimeStatistics statistics{
        measured.seconds.size(), warmUp, summary.mean, summary.median, summary.p99, 0, summary.max, 0};
    if (measured.seconds.empty()) return statistics;
    statistics.min = *std::min_element(measured.seconds.begin(), measured.seconds.end());
    double squares = 0;
    for (double seconds : measured.seconds) squares += (seconds - summary.mean) * (seconds - summary.mean);
    const double deviation = std::sqrt(squares / double(measured.seconds.size()));
    statistics.coefficientOfVariation = summary.mean > 0 ? deviation / summary.mean : 0;
    return statistics;
}

}  // namespace quorvel
