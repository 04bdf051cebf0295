// Thread services that can never start a thread, linked in place of the real ones to show
// that a frame still comes out whole when no band worker can be created.

#include "os/worker_thread.h"

namespace quorvel {

void createWorker(WorkerThread& worker, WorkerEntry entry, void* argument) {
    worker = {entry, argument, false, -1, 0, false, -1};
}
void raiseWorkerPriority(WorkerThread&) {}
void pinWorker(WorkerThread&, int) {}
bool startWorker(WorkerThread&) { return false; }
void waitForWorkers(WorkerThread*, int) {}
void releaseWorker(WorkerThread&) {}
CallingThreadSettings joinWorkers(int) { return {}; }
void leaveWorkers(const CallingThreadSettings&) {}

}  // namespace quorvel
