#include <windows.h>

#include "platform/interrupts.h"

namespace quorvel {
namespace {

// Held while a file named by removeOnInterrupt is being written. The control handler runs
// on a thread of its own, and Windows cannot delete a file another thread holds open, so
// the handler waits for the writer to finish or remove the file instead of deleting it.
SRWLOCK fileInHand = SRWLOCK_INIT;
bool holdingFile = false;  // touched only by the writing thread

// The exit status is what a shell reports for Ctrl+C.
BOOL WINAPI onControl(DWORD) {
    AcquireSRWLockExclusive(&fileInHand);
    ExitProcess(130);
}

}  // namespace

void cleanUpOnInterrupt() { SetConsoleCtrlHandler(onControl, TRUE); }

void removeOnInterrupt(const char* path) {
    if (path != nullptr && !holdingFile) AcquireSRWLockExclusive(&fileInHand);
    if (path == nullptr && holdingFile) ReleaseSRWLockExclusive(&fileInHand);
    holdingFile = path != nullptr;
}

}  // namespace quorvel
