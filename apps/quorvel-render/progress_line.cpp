#include "quorvel-render/progress_line.h"

#include <algorithm>
#include <cinttypes>

#include "os/process_info.h"

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

void wipe(const ProgressLine& progress) {
    if (!progress.shown.empty()) std::fprintf(stderr, "\r%*s\r", std::max(progress.columns - 1, 0), "");
}

}  // namespace

ProgressLine startProgressLine(bool quiet) {
    const bool enabled = !quiet && isTerminal(stderr);
    return {enabled, enabled ? terminalColumns(stderr) : 0, Clock::now(), Clock::now(), {}};
}

void showProgress(ProgressLine& progress, uint64_t done, uint64_t total) {
    if (!progress.enabled) return;
    const Clock::time_point now = Clock::now();
    if (now - progress.start < std::chrono::milliseconds(250) ||
        now - progress.lastDrawn < std::chrono::milliseconds(100))
        return;
    char counts[64];
    std::snprintf(counts, sizeof counts, " %3d%% %" PRIu64 "/%" PRIu64, int(100 * done / total), done, total);
    // The bar takes what the counts leave of the line, less one column so that the cursor
    // never wraps.
    const int bar = std::min(40, progress.columns - 1 - int(std::string(counts).size()) - 2);
    std::string line;
    if (bar >= 4) {
        const int filled = int(uint64_t(bar) * done / total);
        line = "[" + std::string(size_t(filled), '#') + std::string(size_t(bar - filled), ' ') + "]";
    }
    line += counts;
    line.resize(std::min(line.size(), size_t(std::max(progress.columns - 1, 0))));
    std::fprintf(stderr, "\r%s", line.c_str());
    progress.lastDrawn = now;
    progress.shown = line;
}

void printAboveProgress(ProgressLine& progress, std::FILE* stream, const std::string& line) {
    const bool sameLine = !progress.shown.empty() && (stream == stderr || sameTerminal(stream, stderr));
    if (sameLine) wipe(progress);
    std::fputs(line.c_str(), stream);
    if (sameLine) {
        std::fflush(stream);
        std::fprintf(stderr, "\r%s", progress.shown.c_str());
    }
}

void clearProgress(ProgressLine& progress) {
    wipe(progress);
    progress.shown.clear();
}

}  // namespace quorvel
