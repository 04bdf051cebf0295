#include "frame/worker_processors.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvel {
namespace {

std::vector<int> placed(const std::vector<LogicalProcessor>& allowed, int count) {
    const BandWorkers workers = workersOnProcessors(allowed, count);
    return {workers.processors, workers.processors + workers.count};
}

TEST(WorkersOnProcessors, OneOnEachCoreBeforeAnyCoresSecondThread) {
    // Linux numbers a core's two threads apart (0 and 2 share a core) or side by side (0 and 1).
    const std::vector<LogicalProcessor> apart = {{0, 0, 0}, {1, 0, 1}, {2, 0, 0}, {3, 0, 1}};
    const std::vector<LogicalProcessor> together = {{0, 0, 0}, {1, 0, 0}, {2, 0, 1}, {3, 0, 1}};
    EXPECT_EQ(placed(apart, 4), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(placed(together, 4), (std::vector<int>{0, 2, 1, 3}));
    EXPECT_EQ(placed(together, 2), (std::vector<int>{0, 2}));
    // The same core number in another package is another core.
    const std::vector<LogicalProcessor> twoPackages = {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}, {3, 1, 0}};
    EXPECT_EQ(placed(twoPackages, 4), (std::vector<int>{0, 1, 2, 3}));
}

TEST(WorkersOnProcessors, OnlyTheProcessorsAllowedAndRoundAgainPastThem) {
    // As under taskset -c 4-6: workers go to 4, 5, 6 and then round again.
    const std::vector<LogicalProcessor> allowed = {{4, 0, 4}, {5, 0, 5}, {6, 0, 6}};
    EXPECT_EQ(placed(allowed, 7), (std::vector<int>{4, 5, 6, 4, 5, 6, 4}));
    EXPECT_EQ(placed(allowed, 1), (std::vector<int>{4}));
    // Where the system does not say which core a processor is on, each counts as its own.
    const std::vector<LogicalProcessor> unknown = {{0, -1, -1}, {1, -1, -1}, {2, -1, -1}};
    EXPECT_EQ(placed(unknown, 3), (std::vector<int>{0, 1, 2}));
}

TEST(WorkersOnProcessors, CountStaysWithinOneToTheMost) {
    const std::vector<LogicalProcessor> one = {{0, 0, 0}};
    EXPECT_EQ(workersOnProcessors(one, 0).count, 1);
    EXPECT_EQ(workersOnProcessors(one, kMaxWorkers + 1).count, kMaxWorkers);
    EXPECT_EQ(processorList(workersOnProcessors(one, 3)), "0,0,0");
}

}  // namespace
}  // namespace quorvel
