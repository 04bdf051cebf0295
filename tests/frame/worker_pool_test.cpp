#include "frame/worker_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "frame/worker_processors.h"

namespace quorvel {
namespace {

struct Round {
    std::atomic<int> calls[kMaxWorkers];
    std::vector<int> written;  // each worker writes only its own element
};

void countCall(int worker, void* context) {
    Round& round = *static_cast<Round*>(context);
    round.calls[worker].fetch_add(1);
    ++round.written[size_t(worker)];
}

// Every worker runs each round exactly once, and everything a worker wrote is seen by the
// caller when the round returns, round after round (ThreadSanitizer checks the ordering).
TEST(WorkerPool, EveryWorkerRunsEachRoundOnceAndIsJoined) {
    const std::vector<LogicalProcessor> allowed = allowedProcessors();
    for (int count : {1, 2, 7, 64}) {
        BandWorkers workers = workersOnProcessors(allowed, count);
        startWorkerPool(workers);
        ASSERT_NE(workers.pool, nullptr);
        Round round{};
        round.written.assign(size_t(count), 0);
        // Fewer rounds where most workers wait for a processor.
        for (int frame = 1; frame <= (count > 8 ? 20 : 200); ++frame) {
            runOnBandWorkers(workers, countCall, &round);
            for (int w = 0; w < count; ++w) {
                ASSERT_EQ(round.calls[w].load(), frame) << count << " workers, worker " << w;
                ASSERT_EQ(round.written[size_t(w)], frame) << count << " workers, worker " << w;
            }
        }
        stopWorkerPool(workers);
        EXPECT_EQ(workers.pool, nullptr);
    }
}

// Workers started for each frame run the same way, more of them than a wait takes at once
// on Windows (64) included.
TEST(WorkerPool, WorkersStartedEachFrameRunOnceToo) {
    const BandWorkers workers = workersOnProcessors(allowedProcessors(), 70);
    Round round{};
    round.written.assign(70, 0);
    for (int frame = 1; frame <= 3; ++frame) {
        runOnBandWorkers(workers, countCall, &round);
        for (int w = 0; w < 70; ++w) ASSERT_EQ(round.calls[w].load(), frame) << "worker " << w;
    }
}

// The calling thread draws as worker 0 on the first processor while the pool lasts, and has
// all of its processors back after.
TEST(WorkerPool, CallingThreadGetsItsProcessorsBack) {
    const std::vector<LogicalProcessor> before = allowedProcessors();
    if (before.size() < 2) GTEST_SKIP() << "one processor: pinning changes nothing to see";
    BandWorkers workers = workersOnProcessors(before, 2);
    startWorkerPool(workers);
    const std::vector<LogicalProcessor> during = allowedProcessors();
    stopWorkerPool(workers);
    ASSERT_EQ(during.size(), 1u);
    EXPECT_EQ(during[0].number, workers.processors[0]);
    EXPECT_EQ(allowedProcessors().size(), before.size());
}

}  // namespace
}  // namespace quorvel
