#pragma once

#include <cstdio>

namespace quorvel {

// A program without a console of its own (a Windows GUI program started from a console)
// writes its messages to its parent's; elsewhere nothing to do.
void attachToParentConsole();
bool isTerminal(std::FILE* stream);
// True when both streams are the same terminal.
bool sameTerminal(std::FILE* a, std::FILE* b);
// The terminal's width in columns; 80 when it cannot be told.
int terminalColumns(std::FILE* stream);
// The most memory this process has had resident at once, in KiB.
long peakResidentKilobytes();

}  // namespace quorvel
