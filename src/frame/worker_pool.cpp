#include "frame/worker_pool.h"

#include <atomic>
#include <cstdint>

#include "os/wake_word.h"
#include "os/worker_thread.h"

namespace quorvel {

struct PoolSeat {
    WorkerPool* pool;
    int worker;
};

struct WorkerPool {
    int count;
    WorkerThread threads[kMaxWorkers];  // [0] unused: worker 0 is the calling thread
    PoolSeat seats[kMaxWorkers];
    bool started[kMaxWorkers];
    CallingThreadSettings callerBefore;
    // Written by the calling thread before `round` moves on, read by the workers after.
    BandWork work;
    void* context;
    bool stopping;
    std::atomic<uint32_t> round;     // moves on once for each frame, and once to stop
    std::atomic<int> unfinished;     // started workers still on this round's work
    std::atomic<uint32_t> finished;  // moves on when the last of them finishes
};

namespace {

void serveRounds(void* argument) {
    const PoolSeat& seat = *static_cast<const PoolSeat*>(argument);
    WorkerPool& pool = *seat.pool;
    uint32_t seen = 0;
    for (;;) {
        waitWhileWordIs(pool.round, seen);
        seen = pool.round.load(std::memory_order_acquire);
        if (pool.stopping) return;
        pool.work(seat.worker, pool.context);
        if (pool.unfinished.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            pool.finished.fetch_add(1, std::memory_order_release);
            wakeWordWaiters(pool.finished);
        }
    }
}

int startedHelpers(const WorkerPool& pool) {
    int started = 0;
    for (int w = 1; w < pool.count; ++w) started += pool.started[w] ? 1 : 0;
    return started;
}

}  // namespace

void startWorkerPool(BandWorkers& workers) {
    auto* pool = new WorkerPool{};
    pool->count = workers.count;
    for (int w = 1; w < pool->count; ++w) {
        pool->seats[w] = {pool, w};
        createWorker(pool->threads[w], serveRounds, &pool->seats[w]);
        raiseWorkerPriority(pool->threads[w]);
        pinWorker(pool->threads[w], workers.processors[w]);
        pool->started[w] = startWorker(pool->threads[w]);
    }
    pool->callerBefore = joinWorkers(workers.processors[0]);
    workers.pool = pool;
}

void stopWorkerPool(BandWorkers& workers) {
    WorkerPool* pool = workers.pool;
    if (pool == nullptr) return;
    pool->stopping = true;
    pool->round.fetch_add(1, std::memory_order_release);
    wakeWordWaiters(pool->round);
    waitForWorkers(pool->threads + 1, pool->count - 1);
    for (int w = 1; w < pool->count; ++w) releaseWorker(pool->threads[w]);
    leaveWorkers(pool->callerBefore);
    delete pool;
    workers.pool = nullptr;
}

void runOnWorkerPool(WorkerPool& pool, BandWork work, void* context) {
    pool.work = work;
    pool.context = context;
    const int helpers = startedHelpers(pool);
    pool.unfinished.store(helpers, std::memory_order_relaxed);
    const uint32_t finishedBefore = pool.finished.load(std::memory_order_relaxed);
    pool.round.fetch_add(1, std::memory_order_release);
    if (helpers > 0) wakeWordWaiters(pool.round);
    work(0, context);
    for (int w = 1; w < pool.count; ++w) {
        if (!pool.started[w]) work(w, context);
    }
    if (helpers > 0) waitWhileWordIs(pool.finished, finishedBefore);
}

}  // namespace quorvel
