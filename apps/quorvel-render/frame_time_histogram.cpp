#include "quorvel-render/frame_time_histogram.h"

#include <algorithm>
#include <cmath>

namespace quorvel {
namespace {

constexpr double kFirstBucket = 1e-6, kBucketRatio = 1.01;

int bucketOf(double seconds) {
    if (!(seconds > kFirstBucket)) return 0;
    return std::min(int(std::log(seconds / kFirstBucket) / std::log(kBucketRatio)), kFrameTimeBuckets - 1);
}

// The middle of a bucket, as its frames' time.
double bucketTime(int bucket) { return kFirstBucket * std::pow(kBucketRatio, double(bucket) + 0.5); }

// The time at least `fraction` of the frames take no longer than, by nearest rank.
double rankedTime(const FrameTimeHistogram& histogram, double fraction) {
    const auto rank = std::max<uint64_t>(1, uint64_t(std::ceil(fraction * double(histogram.frames))));
    uint64_t seen = 0;
    for (int bucket = 0; bucket < kFrameTimeBuckets; ++bucket) {
        seen += histogram.buckets[bucket];
        if (seen >= rank) return std::clamp(bucketTime(bucket), histogram.least, histogram.most);
    }
    return histogram.most;
}

}  // namespace

void addFrameTime(FrameTimeHistogram& histogram, double seconds) {
    histogram.least = histogram.frames == 0 ? seconds : std::min(histogram.least, seconds);
    histogram.most = histogram.frames == 0 ? seconds : std::max(histogram.most, seconds);
    ++histogram.frames;
    histogram.sum += seconds;
    histogram.sumOfSquares += seconds * seconds;
    ++histogram.buckets[bucketOf(seconds)];
}

void mergeFrameTimes(FrameTimeHistogram& into, const FrameTimeHistogram& from) {
    if (from.frames > 0) {
        into.least = into.frames == 0 ? from.least : std::min(into.least, from.least);
        into.most = into.frames == 0 ? from.most : std::max(into.most, from.most);
    }
    into.frames += from.frames;
    into.warmupFrames += from.warmupFrames;
    into.sum += from.sum;
    into.sumOfSquares += from.sumOfSquares;
    for (int bucket = 0; bucket < kFrameTimeBuckets; ++bucket) into.buckets[bucket] += from.buckets[bucket];
}

FrameTimeStatistics statisticsOf(const FrameTimeHistogram& histogram) {
    FrameTimeStatistics statistics{histogram.frames, histogram.warmupFrames, 0, 0, 0, 0, 0, 0};
    if (histogram.frames == 0) return statistics;
    const double count = double(histogram.frames), mean = histogram.sum / count;
    const double variance = std::max(0.0, histogram.sumOfSquares / count - mean * mean);
    statistics.mean = mean;
    statistics.median = rankedTime(histogram, 0.5);
    statistics.p99 = rankedTime(histogram, 0.99);
    statistics.min = histogram.least;
    statistics.max = histogram.most;
    statistics.coefficientOfVariation = mean > 0 ? std::sqrt(variance) / mean : 0;
    return statistics;
}

}  // namespace quorvel
