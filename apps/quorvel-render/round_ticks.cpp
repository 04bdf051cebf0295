#include "quorvel-render/round_ticks.h"

#include <algorithm>
#include <cmath>

namespace quorvel {
namespace {

constexpr int kMantissas[] = {1, 2, 5};

// `units` x 10^`exponent`, as near as a double comes: powers of ten below one are not exact
// doubles, so those are divided by rather than multiplied by.
double scaled(double units, int exponent) {
    return exponent >= 0 ? units * std::pow(10.0, exponent) : units / std::pow(10.0, -exponent);
}

}  // namespace

RoundScale roundScale(double wanted, int mostIntervals) {
    for (int exponent = static_cast<int>(std::floor(std::log10(wanted / mostIntervals))) - 1;; ++exponent) {
        for (int mantissa : kMantissas) {
            // The slack keeps a wanted value that is itself round, such as 0.3, from taking
            // one interval more through rounding in the division.
            const double steps = std::ceil(wanted / scaled(mantissa, exponent) * (1 - 1e-12));
            if (steps <= mostIntervals) return {mantissa, exponent, std::max(1, static_cast<int>(steps))};
        }
    }
}

double tickValue(const RoundScale& scale, int tick) {
    return scaled(static_cast<double>(tick) * scale.mantissa, scale.exponent);
}

std::string tickLabel(const RoundScale& scale, int tick) {
    const int64_t units = static_cast<int64_t>(tick) * scale.mantissa;
    if (units == 0) return "0";
    if (scale.exponent >= 0) return std::to_string(units) + std::string(scale.exponent, '0');
    const size_t decimals = static_cast<size_t>(-scale.exponent);
    std::string digits = std::to_string(units);
    if (digits.size() <= decimals) digits.insert(0, decimals + 1 - digits.size(), '0');
    return digits.insert(digits.size() - decimals, ".");
}

std::vector<uint64_t> roundFrameTicks(uint64_t first, uint64_t last, int mostTicks) {
    const auto most = static_cast<uint64_t>(std::max(mostTicks, 2));
    // Whether [first, last] holds more than `most` multiples of `step`, asked without counting
    // them: the count for every frame number and a step of 1 would itself overflow.
    const auto tooMany = [&](uint64_t step) {
        return last / step - first / step > most - (first % step == 0);
    };
    // Steps 1, 2, 5, 10, 20, ...: no range holds more than two multiples of 10^19, so the
    // search stops before a step could overflow.
    uint64_t step = 1;
    for (uint64_t power = 1; tooMany(step); power *= 10) {
        for (uint64_t mantissa : {2, 5, 10}) {
            step = power * mantissa;
            if (!tooMany(step)) break;
        }
    }
    std::vector<uint64_t> ticks;
    const uint64_t rest = first % step, start = rest == 0 ? first : first + (step - rest);
    if (rest != 0 && step - rest > last - first) return ticks;  // and never steps past 2^64 - 1
    for (uint64_t tick = start;; tick += step) {
        ticks.push_back(tick);
        if (last - tick < step) break;
    }
    return ticks;
}

}  // namespace quorvel
