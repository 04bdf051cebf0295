#include <windows.h>
// windows.h first: psapi.h relies on its types.
#include <io.h>
#include <psapi.h>

#include "platform/process_info.h"

namespace quorvel {

bool isTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

long peakResidentKilobytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<long>(counters.PeakWorkingSetSize / 1024);
}

}  // namespace quorvel
