#pragma once

#include "frame/band_workers.h"

namespace quorvel {

// Band workers kept from frame to frame: workers 1 to count-1 are threads pinned to their
// processors that sleep between frames; worker 0 is the thread that runs the frames, pinned
// to its processor at the workers' priority while the pool lasts. Starting a frame wakes them all; the last
// to finish wakes the calling thread. Made once at start-up (the only allocation).

// Starts the threads of `workers` and keeps the pool in workers.pool. A thread that cannot be
// started has its share run by the calling thread.
void startWorkerPool(BandWorkers& workers);
// Ends the threads, gives the calling thread back its processors and priority, and clears
// workers.pool.
void stopWorkerPool(BandWorkers& workers);

// Stops the pool however the scope that started it ends: by a return or an exception.
struct WorkerPoolInUse {
    BandWorkers& workers;
    explicit WorkerPoolInUse(BandWorkers& used) : workers(used) {}
    WorkerPoolInUse(const WorkerPoolInUse&) = delete;
    WorkerPoolInUse& operator=(const WorkerPoolInUse&) = delete;
    ~WorkerPoolInUse() { stopWorkerPool(workers); }
};

// Runs work(w, context) on every worker of the pool, the calling thread as worker 0, and
// returns once all have finished.
void runOnWorkerPool(WorkerPool& pool, BandWork work, void* context);

}  // namespace quorvel
