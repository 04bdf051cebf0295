#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/os/worker_thread.h"

namespace quorvel {
namespace {

constexpr int kHighestNice = -20;

// Threads carry their own nice value on Linux. As root -20 is granted; otherwise the
// lowest the nice limit allows. Real-time classes are never used: they can starve a desktop.
void raiseOwnPriority() {
    const auto self = static_cast<id_t>(syscall(SYS_gettid));
    if (setpriority(PRIO_PROCESS, self, kHighestNice) == 0) return;
    rlimit limit{};
    if (getrlimit(RLIMIT_NICE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return;
    const int floor = 20 - static_cast<int>(limit.rlim_cur);
    if (floor > kHighestNice && floor < getpriority(PRIO_PROCESS, self)) {
        setpriority(PRIO_PROCESS, self, floor);
    }
}

void* runWorker(void* record) {
    const WorkerThread& worker = *static_cast<const WorkerThread*>(record);
    if (worker.raisedPriority) raiseOwnPriority();
    worker.entry(worker.argument);
    return nullptr;
}

// Pinned from birth, so the thread starts on its own processor instead of moving there.
bool createPinned(pthread_t& thread, WorkerThread& worker) {
    if (worker.processor < 0 || worker.processor >= CPU_SETSIZE) return false;
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(worker.processor, &set);
    const bool created = pthread_attr_setaffinity_np(&attributes, sizeof(set), &set) == 0 &&
                         pthread_create(&thread, &attributes, runWorker, &worker) == 0;
    pthread_attr_destroy(&attributes);
    return created;
}

}  // namespace

void createWorker(WorkerThread& worker, WorkerEntry entry, void* argument) {
    worker = {entry, argument, false, -1, 0, false};
}

void raiseWorkerPriority(WorkerThread& worker) { worker.raisedPriority = true; }

void pinWorker(WorkerThread& worker, int processor) { worker.processor = processor; }

bool startWorker(WorkerThread& worker) {
    pthread_t thread;
    // A processor that does not exist or is refused leaves the thread unpinned.
    worker.started =
        createPinned(thread, worker) || pthread_create(&thread, nullptr, runWorker, &worker) == 0;
    if (worker.started) worker.handle = static_cast<uintptr_t>(thread);
    return worker.started;
}

void waitForWorkers(WorkerThread* workers, int count) {
    for (int i = 0; i < count; ++i) {
        if (workers[i].started) pthread_join(static_cast<pthread_t>(workers[i].handle), nullptr);
    }
}

void releaseWorker(WorkerThread& worker) { worker.started = false; }

}  // namespace quorvel
