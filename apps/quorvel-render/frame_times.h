#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorvel {

// Frame times in a fixed histogram (1 microsecond buckets up to one second), so a run of
// any length uses the same memory.
struct FrameTimes {
    std::vector<uint32_t> buckets;
    uint64_t count = 0;
    double totalSeconds = 0.0;
};

FrameTimes makeFrameTimes();
void recordFrameTime(FrameTimes& times, double seconds);
// The time below which `fraction` of the frames fall (0.5 for the median), in seconds.
double frameTimePercentile(const FrameTimes& times, double fraction);

}  // namespace quorvel
