#include "quorvel-render/round_ticks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <limits>

namespace quorvel {
namespace {

bool isRoundStep(uint64_t step) {
    while (step % 10 == 0) step /= 10;
    return step == 1 || step == 2 || step == 5;
}

// Over wanted values from a microsecond to minutes, awkward and round alike: the scale
// steps by 1, 2 or 5 times a power of ten, reaches the wanted value within the most
// intervals allowed but with no interval to spare, and its labels say the ticks' values.
TEST(RoundTicks, TimeScalesAreRoundAndTight) {
    for (int most : {4, 8}) {
        for (double wanted = 1e-3; wanted < 1e5; wanted *= 1.37) {
            for (double value : {wanted, std::round(wanted * 10) / 10}) {
                if (value <= 0) continue;
                const RoundScale scale = roundScale(value, most);
                const double step = tickValue(scale, 1), top = tickValue(scale, scale.intervals);
                EXPECT_TRUE(scale.mantissa == 1 || scale.mantissa == 2 || scale.mantissa == 5) << value;
                EXPECT_LE(scale.intervals, most) << value;
                EXPECT_GE(top, value * (1 - 1e-12)) << value;
                EXPECT_LT(top - step, value) << value;
                // A step one round size smaller would not reach the value in time.
                const double smaller = step * (scale.mantissa == 2 ? 0.5 : 0.4);
                EXPECT_GT(std::ceil(value / smaller * (1 - 1e-12)), most) << value;
                for (int tick = 0; tick <= scale.intervals; ++tick)
                    EXPECT_NEAR(std::strtod(tickLabel(scale, tick).c_str(), nullptr), tickValue(scale, tick),
                                1e-9 * top)
                        << value << " tick " << tick;
            }
        }
    }
    // As a reader sees them: the slow run's axis, and labels of one width.
    const RoundScale slow = roundScale(26.3, 8);
    EXPECT_EQ(tickLabel(slow, slow.intervals), "30");
    EXPECT_EQ(tickLabel(slow, 1), "5");
    const RoundScale fine = roundScale(0.3, 8);
    EXPECT_EQ(tickLabel(fine, 0), "0");
    EXPECT_EQ(tickLabel(fine, 1), "0.05");
    EXPECT_EQ(tickLabel(fine, fine.intervals), "0.30");
    const RoundScale tiny = roundScale(0.0013, 8);
    EXPECT_EQ(tickLabel(tiny, tiny.intervals), "0.0014");
    const RoundScale long_ = roundScale(14404.872, 8);
    EXPECT_EQ(tickLabel(long_, long_.intervals), "16000");
}

// Frame ticks are multiples of one round step inside the range, never more than asked
// and at least two for any longer run, for first frames anywhere up to 2^64 - 1.
TEST(RoundTicks, FrameTicksAreRoundMultiplesInsideTheRange) {
    constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
    for (uint64_t first :
         std::initializer_list<uint64_t>{0ull, 1ull, 7ull, 999ull, 1200ull, 123456789ull, (1ull << 53) - 3,
                                         (1ull << 53) + 1, kMax - 1000, kMax - 615, kMax - 1}) {
        for (uint64_t span : std::initializer_list<uint64_t>{0ull, 1ull, 9ull, 614ull, 1823ull, 1000007ull,
                                                             1ull << 40, kMax}) {
            if (span > kMax - first) continue;
            const uint64_t last = first + span;
            for (int most : {4, 6, 10}) {
                const std::vector<uint64_t> ticks = roundFrameTicks(first, last, most);
                SCOPED_TRACE(testing::Message() << first << " to " << last << ", at most " << most);
                ASSERT_FALSE(ticks.empty());
                EXPECT_LE(ticks.size(), size_t(most));
                EXPECT_GE(ticks.front(), first);
                EXPECT_LE(ticks.back(), last);
                if (most >= 6 && span > 0) {
                    EXPECT_GE(ticks.size(), 2u);
                }
                if (ticks.size() < 2) continue;
                const uint64_t step = ticks[1] - ticks[0];
                EXPECT_TRUE(isRoundStep(step)) << step;
                for (size_t i = 0; i < ticks.size(); ++i) {
                    EXPECT_EQ(ticks[i] % step, 0u);
                    if (i > 0) {
                        EXPECT_EQ(ticks[i] - ticks[i - 1], step);
                    }
                }
                EXPECT_LT(ticks.front() - first, step);
                EXPECT_LT(last - ticks.back(), step);
            }
        }
    }
    // Past 2^53, where a double would say 18446744073709551616 for all of them.
    EXPECT_EQ(roundFrameTicks(18446744073709551000ull, 18446744073709551614ull, 4),
              (std::vector<uint64_t>{18446744073709551000ull, 18446744073709551200ull,
                                     18446744073709551400ull, 18446744073709551600ull}));
    EXPECT_EQ(roundFrameTicks(kMax - 2, kMax, 10), (std::vector<uint64_t>{kMax - 2, kMax - 1, kMax}));
    EXPECT_EQ(roundFrameTicks(0, 1823, 10).back(), 1800u);
    EXPECT_EQ(roundFrameTicks(42, 42, 10), (std::vector<uint64_t>{42}));
}

}  // namespace
}  // namespace quorvel
