#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace quorvel {

// The arguments after the program's name, in UTF-8 (on Windows read as UTF-16 from the
// system, whatever the code page).
std::vector<std::string> commandLineArguments(int argc, char** argv);
// Bytes written to `stream` go out unchanged (Windows would otherwise turn \n into \r\n).
void useBinaryOutput(std::FILE* stream);
// Why the write to `stream` that just failed failed, taken at once: whatever runs after it (a
// terminal's width read, say) may change what the system says.
struct WriteFailure {
    int error;                 // errno
    unsigned long systemCode;  // the system's own code where it has one (Windows), else 0
};
WriteFailure lastWriteFailure(std::FILE* stream);
// Whether it failed because the reading end of a pipe was closed.
bool failedOnClosedPipe(const WriteFailure& failure);
// Standard input, output and error, where the program was started with one closed, take a
// descriptor that fails every read or write: nothing the program opens later (a file, a
// window system's connection) is then written to by mistake as standard output or error.
void keepStandardStreamsTaken();
// What a shell reports for a process that SIGPIPE ended: the status a closed pipe ends the
// programs with, quietly, on every system.
inline constexpr int kClosedPipeStatus = 128 + 13;
// A program without a console of its own (a Windows GUI program started from a console)
// writes its messages to its parent's; elsewhere nothing to do.
void attachToParentConsole();
// After attachToParentConsole: true for a program with no console and no standard error
// handed to it, as Explorer starts a Windows GUI program, so that nothing it prints can be
// seen. Elsewhere false: a desktop launch's standard error (a journal, a file, nothing)
// cannot be told from a script's.
bool startedWithoutConsole();
bool isTerminal(std::FILE* stream);
// True when both streams are the same terminal.
bool sameTerminal(std::FILE* a, std::FILE* b);
// The terminal's width in columns; 80 when it cannot be told.
int terminalColumns(std::FILE* stream);
// The most memory this process has had resident at once, in KiB.
long peakResidentKilobytes();

}  // namespace quorvel
