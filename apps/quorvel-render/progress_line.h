#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace quorvel {

// One line on standard error, redrawn in place and never as wide as the terminal (whose
// width is read again at each redraw), shown when standard error is a terminal (and
// --quiet is not given) once a run has taken a quarter of a second. Other lines for the
// same terminal go above it, never onto it.
struct ProgressLine {
    bool enabled;
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point lastDrawn;
    uint64_t done, total;  // what the line shows
    size_t shownWidth;     // the columns it holds now; 0 when not drawn
};

// The line's text for `done` of `total` frames on a terminal `columns` wide: a bar where
// there is room, and the counts. At most columns - 1 wide, so that the cursor never wraps.
std::string progressText(uint64_t done, uint64_t total, int columns);

ProgressLine startProgressLine(bool quiet);
void showProgress(ProgressLine& progress, uint64_t done, uint64_t total);
// Writes `line` (with its newline) to `stream`; where that is the progress line's terminal,
// the progress line is wiped first and drawn again below it.
void printAboveProgress(ProgressLine& progress, std::FILE* stream, const std::string& line);
// Wipes the line, so what follows starts on a clean one.
void clearProgress(ProgressLine& progress);

}  // namespace quorvel
