#include <windows.h>

#include <cstring>

#include "os/worker_thread.h"

namespace quorvel {
namespace {

DWORD WINAPI runWorker(LPVOID record) {
    const WorkerThread& worker = *static_cast<const WorkerThread*>(record);
    worker.entry(worker.argument);
    return 0;
}

HANDLE handleOf(const WorkerThread& worker) { return reinterpret_cast<HANDLE>(worker.handle); }

}  // namespace

// The thread exists from here on, suspended, so priority and processor are set before it
// runs a single instruction of its own.
void createWorker(WorkerThread& worker, WorkerEntry entry, void* argument) {
    worker = {entry, argument, false, -1, 0, false, -1};
    worker.handle =
        reinterpret_cast<uintptr_t>(CreateThread(nullptr, 0, runWorker, &worker, CREATE_SUSPENDED, nullptr));
}

void raiseWorkerPriority(WorkerThread& worker) {
    worker.raisedPriority = true;
    if (worker.handle != 0) SetThreadPriority(handleOf(worker), THREAD_PRIORITY_TIME_CRITICAL);
}

void pinWorker(WorkerThread& worker, int processor) {
    worker.processor = processor;
    if (worker.handle != 0 && processor >= 0 && processor < 64) {
        SetThreadAffinityMask(handleOf(worker), DWORD_PTR{1} << processor);
    }
}

bool startWorker(WorkerThread& worker) {
    worker.started = worker.handle != 0 && ResumeThread(handleOf(worker)) != static_cast<DWORD>(-1);
    return worker.started;
}

// One wait takes at most MAXIMUM_WAIT_OBJECTS (64) handles: more workers are waited for in
// groups, each group until all of it has ended.
void waitForWorkers(WorkerThread* workers, int count) {
    HANDLE handles[MAXIMUM_WAIT_OBJECTS];
    for (int i = 0; i < count;) {
        DWORD waiting = 0;
        for (; i < count && waiting < MAXIMUM_WAIT_OBJECTS; ++i) {
            if (workers[i].started) handles[waiting++] = handleOf(workers[i]);
        }
        if (waiting > 0) WaitForMultipleObjectsEx(waiting, handles, TRUE, INFINITE, FALSE);
    }
}

// A thread that never started is ended here before its handle goes.
void releaseWorker(WorkerThread& worker) {
    if (worker.handle == 0) return;
    if (!worker.started) TerminateThread(handleOf(worker), 0);
    CloseHandle(handleOf(worker));
    worker.handle = 0;
    worker.started = false;
}

// The old mask comes back from setting the new one.
CallingThreadSettings joinWorkers(int processor) {
    CallingThreadSettings before{};
    const HANDLE self = GetCurrentThread();
    before.priority = GetThreadPriority(self);
    before.priorityKnown = before.priority != THREAD_PRIORITY_ERROR_RETURN;
    if (processor >= 0 && processor < 64) {
        const DWORD_PTR old = SetThreadAffinityMask(self, DWORD_PTR{1} << processor);
        before.processorsKnown = old != 0;
        std::memcpy(before.processors, &old, sizeof(old));
    }
    SetThreadPriority(self, THREAD_PRIORITY_TIME_CRITICAL);
    return before;
}

void leaveWorkers(const CallingThreadSettings& before) {
    const HANDLE self = GetCurrentThread();
    if (before.priorityKnown) SetThreadPriority(self, before.priority);
    if (!before.processorsKnown) return;
    DWORD_PTR mask = 0;
    std::memcpy(&mask, before.processors, sizeof(mask));
    SetThreadAffinityMask(self, mask);
}

}  // namespace quorvel
