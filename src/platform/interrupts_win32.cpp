#include <windows.h>

#include <cstring>

#include "platform/interrupts.h"

namespace quorvel {
namespace {

char pathToRemove[MAX_PATH];
volatile LONG havePath = 0;

// Runs on a thread of its own; the exit status is what a shell reports for Ctrl+C.
BOOL WINAPI onControl(DWORD) {
    if (havePath) DeleteFileA(pathToRemove);
    ExitProcess(130);
}

}  // namespace

void cleanUpOnInterrupt() { SetConsoleCtrlHandler(onControl, TRUE); }

void removeOnInterrupt(const char* path) {
    havePath = 0;
    if (path == nullptr || std::strlen(path) >= sizeof pathToRemove) return;
    std::strcpy(pathToRemove, path);
    havePath = 1;
}

}  // namespace quorvel
