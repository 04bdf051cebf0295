#include "frame/band_workers.h"

#include "frame/worker_pool.h"
#include "os/worker_thread.h"

namespace quorvel {
namespace {

struct WorkerShare {
    BandWork work;
    void* context;
    int worker;
};

void runShare(void* share) {
    const WorkerShare& mine = *static_cast<const WorkerShare*>(share);
    mine.work(mine.worker, mine.context);
}

void runOnFreshWorkers(const BandWorkers& workers, BandWork work, void* context) {
    WorkerShare shares[kMaxWorkers];
    WorkerThread threads[kMaxWorkers];
    const int count = workers.count;
    for (int w = 0; w < count; ++w) {
        shares[w] = {work, context, w};
        createWorker(threads[w], runShare, &shares[w]);
        raiseWorkerPriority(threads[w]);
    }
    for (int w = 0; w < count; ++w) pinWorker(threads[w], workers.processors[w]);
    for (int w = 0; w < count; ++w) {
        if (!startWorker(threads[w])) runShare(&shares[w]);
    }
    waitForWorkers(threads, count);
    for (int w = 0; w < count; ++w) releaseWorker(threads[w]);
}

}  // namespace

const BandWorkers& twoWorkersEachFrame() {
    static const BandWorkers two = {2, {0, 1}, nullptr};
    return two;
}

void runOnBandWorkers(const BandWorkers& workers, BandWork work, void* context) {
    if (workers.pool != nullptr) {
        runOnWorkerPool(*workers.pool, work, context);
    } else {
        runOnFreshWorkers(workers, work, context);
    }
}

}  // namespace quorvel
