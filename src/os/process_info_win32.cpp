#include <windows.h>
// windows.h first: psapi.h relies on its types.
#include <fcntl.h>
#include <io.h>
#include <psapi.h>
#include <shellapi.h>

#include <cerrno>

#include "os/process_info.h"
#include "os/utf16_win32.h"

namespace quorvel {

std::vector<std::string> commandLineArguments(int, char**) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide != nullptr && i < count; ++i) arguments.push_back(narrowed(wide[i]));
    LocalFree(wide);
    return arguments;
}

void useBinaryOutput(std::FILE* stream) { _setmode(_fileno(stream), _O_BINARY); }

// The C runtime reports a closed pipe as EINVAL; the system's own code, which it keeps in
// _doserrno, tells. A write to a pipe otherwise writes everything or fails with a code, but
// Wine may report a reader that has just gone as a short write with none.
WriteFailure lastWriteFailure(std::FILE* stream) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    if (_doserrno == 0 && GetFileType(handle) == FILE_TYPE_PIPE) return {errno, ERROR_NO_DATA};
    return {errno, _doserrno};
}

bool failedOnClosedPipe(const WriteFailure& failure) {
    const unsigned long code = failure.systemCode;
    return failure.error == EPIPE || code == ERROR_NO_DATA || code == ERROR_BROKEN_PIPE ||
           code == ERROR_PIPE_NOT_CONNECTED;
}

// The C runtime gives a program started without a stream no descriptor to reuse.
void keepStandardStreamsTaken() {}

// Streams that already lead somewhere (a pipe, a file) are left as they are.
void attachToParentConsole() {
    if (GetConsoleWindow() != nullptr || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (_fileno(stdout) < 0 || _get_osfhandle(_fileno(stdout)) < 0) std::freopen("CONOUT$", "w", stdout);
    if (_fileno(stderr) < 0 || _get_osfhandle(_fileno(stderr)) < 0) std::freopen("CONOUT$", "w", stderr);
}

bool startedWithoutConsole() {
    const HANDLE standardError = GetStdHandle(STD_ERROR_HANDLE);
    return GetConsoleWindow() == nullptr &&
           (standardError == nullptr || standardError == INVALID_HANDLE_VALUE);
}

// A console, not any character device: _isatty would also say so of NUL.
bool isTerminal(std::FILE* stream) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return GetFileType(handle) == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode) != 0;
}

// A console has one screen: two streams on consoles share it.
bool sameTerminal(std::FILE* a, std::FILE* b) { return isTerminal(a) && isTerminal(b); }

int terminalColumns(std::FILE* stream) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    if (!GetConsoleScreenBufferInfo(handle, &info)) return 80;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

long peakResidentKilobytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<long>(counters.PeakWorkingSetSize / 1024);
}

}  // namespace quorvel
