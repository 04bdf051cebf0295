#include "quorvel-render/progress_line.h"

#include <algorithm>
#include <cinttypes>

#include "os/process_info.h"

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

// What a line may take of the terminal as it is now: less than its width, so that the cursor
// never wraps. Read at each redraw, as the terminal may have been narrowed since the last.
size_t reach(int columns) { return size_t(std::max(columns - 1, 0)); }

// Blanks what the line shows, no wider than the terminal now is.
void wipe(const ProgressLine& progress) {
    const size_t shown = std::min(progress.shownWidth, reach(terminalColumns(stderr)));
    if (shown > 0) std::fprintf(stderr, "\r%*s\r", int(shown), "");
}

// Draws the line over what it showed before, blanking what the new one leaves over.
void draw(ProgressLine& progress) {
    const int columns = terminalColumns(stderr);
    const std::string line = progressText(progress.done, progress.total, columns);
    const size_t covered = std::min(progress.shownWidth, reach(columns));
    std::fprintf(stderr, "\r%s%*s", line.c_str(), int(covered > line.size() ? covered - line.size() : 0), "");
    progress.shownWidth = line.size();
}

}  // namespace

std::string progressText(uint64_t done, uint64_t total, int columns) {
    char counts[64];
    std::snprintf(counts, sizeof counts, " %3d%% %" PRIu64 "/%" PRIu64, int(100 * done / total), done, total);
    // The bar takes what the counts leave of the line.
    const int bar = std::min(40, columns - 1 - int(std::string(counts).size()) - 2);
    std::string line;
    if (bar >= 4) {
        const int filled = int(uint64_t(bar) * done / total);
        line = "[" + std::string(size_t(filled), '#') + std::string(size_t(bar - filled), ' ') + "]";
    }
    line += counts;
    line.resize(std::min(line.size(), reach(columns)));
    return line;
}

ProgressLine startProgressLine(bool quiet) {
    return {!quiet && isTerminal(stderr), Clock::now(), Clock::now(), 0, 0, 0};
}

void showProgress(ProgressLine& progress, uint64_t done, uint64_t total) {
    if (!progress.enabled) return;
    const Clock::time_point now = Clock::now();
    if (now - progress.start < std::chrono::milliseconds(250) ||
        now - progress.lastDrawn < std::chrono::milliseconds(100))
        return;
    progress.done = done;
    progress.total = total;
    draw(progress);
    progress.lastDrawn = now;
}

void printAboveProgress(ProgressLine& progress, std::FILE* stream, const std::string& line) {
    const bool sameLine = progress.shownWidth > 0 && (stream == stderr || sameTerminal(stream, stderr));
    if (sameLine) clearProgress(progress);
    std::fputs(line.c_str(), stream);
    if (sameLine) {
        std::fflush(stream);
        draw(progress);
    }
}

void clearProgress(ProgressLine& progress) {
    wipe(progress);
    progress.shownWidth = 0;
}

}  // namespace quorvel
