#pragma once

#include <cstdint>

namespace quorvel {

using WorkerEntry = void (*)(void* argument);

// One worker thread: described by createWorker, configured (priority, processor), then
// started. The POSIX build makes the thread only when it is started, with those settings;
// the Win32 one makes it suspended in createWorker and resumes it when started. The record
// must stay put from createWorker until releaseWorker: the running thread reads its settings
// from it. On POSIX a worker blocks every signal but faults, aborts and profilers' timers
// from its first instruction: signals from outside go to a thread that is not drawing.
struct WorkerThread {
    WorkerEntry entry;
    void* argument;
    bool raisedPriority;
    int processor;  // -1: not pinned
    uintptr_t handle;
    bool started;
    int stack;  // the reused stack the thread runs on; -1: one of the system's
};

void createWorker(WorkerThread& worker, WorkerEntry entry, void* argument);
// Highest ordinary (never real-time) priority the system grants; ignored when refused.
void raiseWorkerPriority(WorkerThread& worker);
// Ignored when the processor does not exist or pinning is refused.
void pinWorker(WorkerThread& worker, int processor);
// False when no thread could be started; the caller then does the work itself.
bool startWorker(WorkerThread& worker);
// Waits until every started worker of the array has ended.
void waitForWorkers(WorkerThread* workers, int count);
void releaseWorker(WorkerThread& worker);

// What the calling thread had before it joined the workers, to be given back.
struct CallingThreadSettings {
    unsigned char processors[128];
    bool processorsKnown;
    int priority;
    bool priorityKnown;
};
// The calling thread draws as a worker too: pinned to `processor` (ignored when -1 or refused)
// at the workers' priority.
CallingThreadSettings joinWorkers(int processor);
void leaveWorkers(const CallingThreadSettings& before);

}  // namespace quorvel
