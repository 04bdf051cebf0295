#include "os/worker_thread.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <cstddef>
#include <thread>

namespace quorvel {
namespace {

constexpr int kCrowd = 12;  // more workers than are ever given reused stacks

struct Gathering {
    std::atomic<int> arrived{0};
    std::atomic<int> expected{kCrowd};
};

// Stays until every started worker has arrived, so all of them run at the same time.
void waitForTheOthers(void* argument) {
    auto& gathering = *static_cast<Gathering*>(argument);
    gathering.arrived.fetch_add(1);
    while (gathering.arrived.load() < gathering.expected.load()) std::this_thread::yield();
}

// Uses two megabytes of its stack, a page at a time.
void useDeepStack(void* argument) {
    volatile char deep[size_t{2} << 20];
    for (size_t i = 0; i < sizeof deep; i += 4096) deep[i] = static_cast<char>(i >> 12);
    auto& total = *static_cast<std::atomic<long>*>(argument);
    long sum = 0;
    for (size_t i = 0; i < sizeof deep; i += 4096) sum += deep[i];
    total.fetch_add(sum);
}

TEST(WorkerThread, ManyAtOnceAllRunAndAreWaitedFor) {
    for (int round = 0; round < 2; ++round) {
        Gathering gathering;
        WorkerThread workers[kCrowd];
        int started = 0;
        for (WorkerThread& worker : workers) {
            createWorker(worker, waitForTheOthers, &gathering);
            if (startWorker(worker)) ++started;
        }
        gathering.expected.store(started);
        waitForWorkers(workers, kCrowd);
        for (WorkerThread& worker : workers) releaseWorker(worker);
        EXPECT_EQ(started, kCrowd);
        EXPECT_EQ(gathering.arrived.load(), started);
    }
}

TEST(WorkerThread, DeepStacksFrameAfterFrame) {
    long expected = 0;
    for (size_t i = 0; i < (size_t{2} << 20); i += 4096) expected += static_cast<char>(i >> 12);
    for (int frame = 0; frame < 3; ++frame) {
        std::atomic<long> total{0};
        WorkerThread workers[2];
        for (int w = 0; w < 2; ++w) {
            createWorker(workers[w], useDeepStack, &total);
            raiseWorkerPriority(workers[w]);
            pinWorker(workers[w], w);
            ASSERT_TRUE(startWorker(workers[w]));
        }
        waitForWorkers(workers, 2);
        for (WorkerThread& worker : workers) releaseWorker(worker);
        EXPECT_EQ(total.load(), 2 * expected);
    }
}

// The signals a worker blocks, as the worker itself sees its mask.
void recordBlockedSignals(void* mask) { pthread_sigmask(SIG_BLOCK, nullptr, static_cast<sigset_t*>(mask)); }

// Signals from outside go to a thread that is not drawing, where the handler may remove the
// file being written; faults, aborts and profilers' timers stay with the worker. The starting
// thread's own mask is as it was.
TEST(WorkerThread, BlocksEverySignalFromOutsideButFaults) {
    sigset_t before, after, seen;
    pthread_sigmask(SIG_BLOCK, nullptr, &before);
    sigemptyset(&seen);
    WorkerThread worker;
    createWorker(worker, recordBlockedSignals, &seen);
    ASSERT_TRUE(startWorker(worker));
    waitForWorkers(&worker, 1);
    releaseWorker(worker);
    for (int blocked :
         {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGXCPU, SIGALRM, SIGUSR1, SIGUSR2, SIGRTMIN})
        EXPECT_TRUE(sigismember(&seen, blocked)) << "signal " << blocked;
    for (int kept : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGPROF})
        EXPECT_FALSE(sigismember(&seen, kept)) << "signal " << kept;
    pthread_sigmask(SIG_BLOCK, nullptr, &after);
    for (int signal = 1; signal < SIGRTMAX; ++signal)
        EXPECT_EQ(sigismember(&after, signal), sigismember(&before, signal)) << "signal " << signal;
}

}  // namespace
}  // namespace quorvel
