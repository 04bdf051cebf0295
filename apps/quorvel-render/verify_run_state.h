#pragma once

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "frame/known_frame_hashes.h"
#include "os/child_process.h"
#include "os/processors.h"
#include "quorvel-render/injected_faults.h"
#include "quorvel-render/render_options.h"
#include "quorvel-render/verify_failure.h"
#include "quorvel-render/verify_worker.h"

namespace quorvel {

// What a --verify run keeps while it watches its workers, and the steps every part of it takes.

using VerifyClock = std::chrono::steady_clock;

// A worker that draws no frame for this long is hung: a frame takes milliseconds, and even a
// machine shared with other work or a sanitizer's build draws one in well under a second.
inline constexpr std::chrono::seconds kStallTime{10};

// A worker as the run sees it: its processor, its slot, its process while one runs, where it
// goes on from, and when its progress last moved.
struct VerifyWorker {
    LogicalProcessor processor;
    int slot;
    ChildProcess child;
    bool running, finished;
    uint64_t nextFrame;
    uint64_t seenProgress;
    VerifyClock::time_point lastChange;
    int failures;
};

// Terminal lines redrawn in place under whatever else is printed.
struct LiveLines {
    bool enabled;
    int shown;
    VerifyClock::time_point lastDrawn;
};

// The run: what it checks against, its workers, what it found.
struct VerifyRun {
    const RenderOptions& options;
    const InjectedFaults& faults;
    const KnownFrameHashes* known;
    const ApproxModel* model;
    bool native;
    std::optional<PreparedScene> scene;
    SpanRoutine spanRoutine;
    void* block;
    VerifyLayout layout;
    std::vector<LogicalProcessor> allowed;
    std::vector<VerifyWorker> workers;
    uint64_t durationSeconds;
    VerifyClock::time_point start;
    std::vector<FailureRecord> failures;
    int mismatches, lost;
    bool stopping;
    std::string stoppedBy;
    bool runFailed;  // the run itself, not a processor: status 1
    LiveLines live;
};

void wipeLive(LiveLines& live);
void drawLive(LiveLines& live, const std::vector<std::string>& lines);
inline double secondsSince(VerifyClock::time_point start) {
    return std::chrono::duration<double>(VerifyClock::now() - start).count();
}
inline WorkerSlot& slotOf(VerifyRun& run, int slot) { return slotIn(run.block, run.layout, slot); }
// A line on `stream` (failure records on standard output, errors on standard error), with the
// terminal's live lines out of its way.
void printAboveLive(VerifyRun& run, const std::string& line, std::FILE* stream);
// The task of a worker (or, with `retest`, of a retest) for slot `slot` on `processor`.
WorkerTask taskFor(VerifyRun& run, int slot, int processor, uint64_t firstFrame, bool retest);
// Starts `worker` at its next frame; false, after a line and with the run failed, when no
// process could be started.
bool startWorker(VerifyRun& run, VerifyWorker& worker);
// Tells every worker to end after its frame; `why` is what the report says stopped the run.
void stopRun(VerifyRun& run, const std::string& why);

}  // namespace quorvel
