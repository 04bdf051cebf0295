#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "os/process_info.h"

namespace quorvel {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>();
}

void useBinaryOutput(std::FILE*) {}

WriteFailure lastWriteFailure(std::FILE*) { return {errno, 0}; }

bool failedOnClosedPipe(const WriteFailure& failure) { return failure.error == EPIPE; }

// /dev/null opened the other way round: writes to standard output or error, and reads from
// standard input, fail with EBADF, as on a closed descriptor.
void keepStandardStreamsTaken() {
    for (int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (fcntl(stream, F_GETFD) != -1 || errno != EBADF) continue;
        const int taken = open("/dev/null", (stream == STDIN_FILENO ? O_WRONLY : O_RDONLY) | O_CLOEXEC);
        if (taken != -1 && taken != stream) {
            dup2(taken, stream);
            close(taken);
        }
    }
}

void attachToParentConsole() {}

bool startedWithoutConsole() { return false; }

bool isTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

bool sameTerminal(std::FILE* a, std::FILE* b) {
    struct stat first {
    }, second{};
    return isTerminal(a) && isTerminal(b) && fstat(fileno(a), &first) == 0 &&
           fstat(fileno(b), &second) == 0 && first.st_rdev == second.st_rdev;
}

int terminalColumns(std::FILE* stream) {
    winsize size{};
    return ioctl(fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 0 ? size.ws_col : 80;
}

long peakResidentKilobytes() {
    rusage usage{};
    return getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_maxrss : 0;
}

}  // namespace quorvel
