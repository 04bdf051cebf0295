#pragma once

namespace quorvel {

// What each band worker runs: `worker` is its number, from 0.
using BandWork = void (*)(int worker, void* context);

// Runs work(w, context) on kWorkerCount band workers at once, worker w pinned to processor w
// at the highest ordinary priority, and returns once every one has ended. A worker that
// cannot be started has its share run here instead, so the work is always done.
void runOnBandWorkers(BandWork work, void* context);

}  // namespace quorvel
