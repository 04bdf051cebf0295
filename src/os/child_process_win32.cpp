#include <cstdio>

#include "os/child_process.h"

namespace quorvel {

// A worker in a process of its own would be this program started again (CreateProcess) with
// shared memory handed down; until then the Windows build starts none, and says so.
bool childProcessesAvailable() { return false; }

void* allocateSharedPages(size_t) { return nullptr; }

void releaseSharedPages(void*, size_t) {}

bool startChildProcess(ChildEntry, void*, int, ChildProcess&) { return false; }

ChildEnd childEnded(ChildProcess&) { return {true, 0, 0}; }

void killChild(ChildProcess&) {}

const char* signalName(int signal) {
    static thread_local char name[24];
    std::snprintf(name, sizeof name, "signal %d", signal);
    return name;
}

}  // namespace quorvel
