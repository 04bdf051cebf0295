#pragma once

namespace quorvel {

inline constexpr int kMaxWorkers = 256;

struct WorkerPool;

// Who draws a frame's bands: `count` workers, worker w pinned to processors[w] (-1: wherever
// the system puts it). Without a pool they are started afresh for every frame and the calling
// thread only waits; with one (startWorkerPool) they wait between frames and the calling
// thread is worker 0 and draws too.
struct BandWorkers {
    int count;  // 1 to kMaxWorkers
    int processors[kMaxWorkers];
    WorkerPool* pool;
};

// Two workers started for each frame, on processors 0 and 1: the window's without options.
const BandWorkers& twoWorkersEachFrame();

// What each band worker runs: `worker` is its number, from 0.
using BandWork = void (*)(int worker, void* context);

// Runs work(w, context) for every worker w at once, at the highest ordinary priority, and
// returns once every one has ended. A worker that cannot be started has its share run here
// instead, so the work is always done.
void runOnBandWorkers(const BandWorkers& workers, BandWork work, void* context);

}  // namespace quorvel
