#include "frame/band_workers.h"

#include "frame/bands.h"
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

}  // namespace

void runOnBandWorkers(BandWork work, void* context) {
    WorkerShare shares[kWorkerCount];
    WorkerThread workers[kWorkerCount];
    for (int w = 0; w < kWorkerCount; ++w) {
        shares[w] = {work, context, w};
        createWorker(workers[w], runShare, &shares[w]);
        raiseWorkerPriority(workers[w]);
    }
    for (int w = 0; w < kWorkerCount; ++w) pinWorker(workers[w], w);
    for (int w = 0; w < kWorkerCount; ++w) {
        if (!startWorker(workers[w])) runShare(&shares[w]);
    }
    waitForWorkers(workers, kWorkerCount);
    for (WorkerThread& worker : workers) releaseWorker(worker);
}

}  // namespace quorvel
