#include <sys/resource.h>
#include <unistd.h>

#include "platform/process_info.h"

namespace quorvel {

bool isTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

long peakResidentKilobytes() {
    rusage usage{};
    return getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_maxrss : 0;
}

}  // namespace quorvel
