#pragma once

#include <cstdio>

namespace quorvel {

bool isTerminal(std::FILE* stream);
// The most memory this process has had resident at once, in KiB.
long peakResidentKilobytes();

}  // namespace quorvel
