#include <windows.h>

#include <string>

#include "os/interrupts.h"
#include "os/utf16_win32.h"

namespace quorvel {
namespace {

// The control handler runs on a thread of its own. Holding this lock keeps it waiting while
// the writer creates and names a file, or renames and forgets it.
SRWLOCK namingFile = SRWLOCK_INIT;
std::wstring pathToRemove;  // guarded by namingFile

// Files are created shareable for deletion, so the file goes when the process ends even
// while the writer still holds it open. The exit status is what a shell reports for Ctrl+C.
BOOL WINAPI onControl(DWORD) {
    AcquireSRWLockExclusive(&namingFile);
    if (!pathToRemove.empty()) DeleteFileW(pathToRemove.c_str());
    ExitProcess(130);
}

LONG notedSignal = 0;

BOOL WINAPI onNotedControl(DWORD) {
    InterlockedCompareExchange(&notedSignal, 2, 0);  // as SIGINT
    return TRUE;
}

}  // namespace

void cleanUpOnInterrupt() { SetConsoleCtrlHandler(onControl, TRUE); }

void holdInterrupts() { AcquireSRWLockExclusive(&namingFile); }

void releaseInterrupts() { ReleaseSRWLockExclusive(&namingFile); }

void removeOnInterrupt(const char* path) { pathToRemove = path != nullptr ? widened(path) : std::wstring(); }

void noteInterrupts() { SetConsoleCtrlHandler(onNotedControl, TRUE); }

int interruptNoted() { return int(InterlockedCompareExchange(&notedSignal, 0, 0)); }

void endAsInterrupted(int) { ExitProcess(130); }

}  // namespace quorvel
