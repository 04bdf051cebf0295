#pragma once

#include <vector>

namespace quorvel {

// A processor this process may run on, and where it sits: logical processors with the same
// package and core are threads of one physical core. -1 where the system does not say.
struct LogicalProcessor {
    int number;
    int package;
    int core;
};

// The processors in this process's affinity mask, in number order; never empty (the
// processor this thread runs on, or processor 0, when the mask cannot be read).
std::vector<LogicalProcessor> allowedProcessors();

}  // namespace quorvel
