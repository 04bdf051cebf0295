#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvel {

// Axis ticks a reader takes in at a glance: steps of 1, 2 or 5 times a power of ten.

// A scale from 0 up to `intervals` steps of `mantissa` x 10^`exponent`.
struct RoundScale {
    int mantissa;  // 1, 2 or 5
    int exponent;
    int intervals;
};

// The lowest round scale reaching `wanted` (positive) in at most `mostIntervals` steps.
RoundScale roundScale(double wanted, int mostIntervals);
double tickValue(const RoundScale& scale, int tick);
// The tick's value written out exactly: 0 as "0", the others with the scale's decimals.
std::string tickLabel(const RoundScale& scale, int tick);

// The frame numbers in [first, last] that are multiples of the smallest round step leaving
// at most `mostTicks` (2 or more) of them; integers throughout, exact for any frame number.
std::vector<uint64_t> roundFrameTicks(uint64_t first, uint64_t last, int mostTicks);

}  // namespace quorvel
