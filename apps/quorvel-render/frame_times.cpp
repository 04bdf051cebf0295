#include "quorvel-render/frame_times.h"

#include <cmath>

namespace quorvel {
namespace {

constexpr double kBucketSeconds = 1e-6;
constexpr size_t kBucketCount = 1'000'000;  // the last bucket takes everything slower

}  // namespace

FrameTimes makeFrameTimes() { return {std::vector<uint32_t>(kBucketCount, 0), 0, 0.0}; }

void recordFrameTime(FrameTimes& times, double seconds) {
    const double bucket = std::floor(seconds / kBucketSeconds);
    const size_t index = bucket < 0               ? 0
                         : bucket >= kBucketCount ? kBucketCount - 1
                                                  : static_cast<size_t>(bucket);
    ++times.buckets[index];
    ++times.count;
    times.totalSeconds += seconds;
}

double frameTimePercentile(const FrameTimes& times, double fraction) {
    if (times.count == 0) return 0.0;
    const auto rank = static_cast<uint64_t>(std::ceil(fraction * static_cast<double>(times.count)));
    uint64_t seen = 0;
    for (size_t i = 0; i < times.buckets.size(); ++i) {
        seen += times.buckets[i];
        if (seen >= rank && seen > 0) return (static_cast<double>(i) + 0.5) * kBucketSeconds;
    }
    return static_cast<double>(times.buckets.size()) * kBucketSeconds;
}

}  // namespace quorvel
