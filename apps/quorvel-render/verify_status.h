#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quorvel-render/run_report.h"

namespace quorvel {

// What --verify shows on a terminal while it runs: a line for the run, then one per worker.
struct LiveWorker {
    int processor, core;
    uint64_t verified;
    int failures;
    const char* state;  // "drawing", "idle", "finished", "lost", "stopped"
};
std::vector<std::string> liveLines(uint64_t elapsedSeconds, uint64_t durationSeconds,
                                   const std::string& drawing, const std::vector<LiveWorker>& workers);

// The one line a person can paste where they ask for help: the verdict, what failed first,
// and what was tested for how long.
std::string verdictLine(const RunReport& report);

}  // namespace quorvel
