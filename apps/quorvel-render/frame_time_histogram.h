#pragma once

#include <cstdint>

namespace quorvel {

// Frame times kept in fixed space, for runs of any length and for memory shared between
// processes: exact count, sum, squares, least and most, and buckets 1 % wide from 1 us up
// (the median and 99th percentile are read from them, within half a per cent).
inline constexpr int kFrameTimeBuckets = 1900;  // 1 us * 1.01^1900: past 100 s
struct FrameTimeHistogram {
    uint64_t frames;
    uint64_t warmupFrames;  // not in the figures: counted only
    double sum, sumOfSquares, least, most;
    uint64_t buckets[kFrameTimeBuckets];
};

void addFrameTime(FrameTimeHistogram& histogram, double seconds);
// Adds `from`'s frames to `into`.
void mergeFrameTimes(FrameTimeHistogram& into, const FrameTimeHistogram& from);

// What a report says of frame times: warm-up frames counted apart and left out of the rest.
struct FrameTimeStatistics {
    uint64_t frames, warmupFrames;
    double mean, median, p99, min, max;  // seconds
    double coefficientOfVariation;       // standard deviation over mean
};
FrameTimeStatistics statisticsOf(const FrameTimeHistogram& histogram);

}  // namespace quorvel
