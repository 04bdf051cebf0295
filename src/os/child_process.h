#pragma once

#include <cstddef>
#include <cstdint>

namespace quorvel {

// Work in a process of its own: a child that crashes or hangs ends or is ended alone, its
// memory is its own, and the program that started it goes on and says what happened.

// Whether this build starts child processes (the Linux one; the Windows one does not yet).
bool childProcessesAvailable();

// Zero-filled memory a parent and the children it starts afterwards all see; pages are
// committed only as they are touched. Null when refused or where there are no child processes.
void* allocateSharedPages(size_t bytes);
void releaseSharedPages(void* pages, size_t bytes);

// What a child runs: its exit status is what the function returns.
using ChildEntry = int (*)(void* argument);

struct ChildProcess {
    intptr_t id = -1;  // -1: none
};

// Starts a child that runs entry(argument) pinned to `processor` and then ends, taking the
// parent's memory as it is now. The child ends when the parent does; it dumps no core;
// the terminal's signals (SIGINT, SIGQUIT, SIGHUP) are left to the parent, and the others
// act as they do by default. Its exit status is 120 when it cannot be
// pinned. False when no child could be started.
inline constexpr int kChildNotPinned = 120;
bool startChildProcess(ChildEntry entry, void* argument, int processor, ChildProcess& child);

// How a child ended; `ended` false while it runs.
struct ChildEnd {
    bool ended;
    int exitStatus;  // when it returned
    int signal;      // when a signal ended it, else 0
};
ChildEnd childEnded(ChildProcess& child);
// Ends the child at once and waits for it to go.
void killChild(ChildProcess& child);

// "SIGSEGV" for a signal's number; "signal N" where it has no name here.
const char* signalName(int signal);

}  // namespace quorvel
