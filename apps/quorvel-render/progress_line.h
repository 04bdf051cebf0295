#pragma once

#include <chrono>
#include <cstdint>

namespace quorvel {

// One line on standard error, redrawn in place and never wider than the terminal. Shown
// only when standard error is a terminal that standard output is not, and only once a run
// has taken more than a second.
struct ProgressLine {
    bool enabled;
    int columns;
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point lastDrawn;
    bool drawn;
};

ProgressLine startProgressLine(bool quiet);
void showProgress(ProgressLine& progress, uint64_t done, uint64_t total);
// Wipes the line, so what follows starts on a clean one.
void clearProgress(const ProgressLine& progress);

}  // namespace quorvel
