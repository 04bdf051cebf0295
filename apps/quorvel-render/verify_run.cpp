#include "quorvel-render/verify_run.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <thread>

#include "frame/animation.h"
#include "frame/known_frame_hashes.h"
#include "frame/worker_processors.h"
#include "io/utf8_path.h"
#include "io/whole_file.h"
#include "numeric/approx_fingerprint.h"
#include "numeric/native_equivalence.h"
#include "os/child_process.h"
#include "os/interrupts.h"
#include "os/process_info.h"
#include "os/processors.h"
#include "os/system_facts.h"
#include "quorvel-render/duration.h"
#include "quorvel-render/output_folder.h"
#include "quorvel-render/run_report.h"
#include "quorvel-render/verify_record.h"
#include "quorvel-render/verify_run_state.h"
#include "quorvel-render/verify_status.h"
#include "quorvel-render/verify_worker.h"
#include "raster/span_routines.h"

namespace quorvel {
namespace {

using Clock = VerifyClock;

constexpr std::chrono::milliseconds kPollInterval{10}, kLiveInterval{500};
// A gap this long between two looks at the workers means this process itself was stopped
// (Ctrl+Z), not that they were: their stall clocks start again.
constexpr std::chrono::seconds kOwnPause{2};

int refuse(const std::string& message) {
    std::fprintf(stderr, "quorvel-render: %s\n", message.c_str());
    return 2;
}

void watch(VerifyRun& run, VerifyWorker& worker, Clock::time_point now) {
    WorkerSlot& slot = slotOf(run, worker.slot);
    const ChildEnd end = childEnded(worker.child);
    if (!end.ended) {
        const uint64_t progress = slot.progress.load(std::memory_order_acquire);
        if (progress != worker.seenProgress) {
            worker.seenProgress = progress;
            worker.lastChange = now;
        } else if (now - worker.lastChange >= kStallTime) {
            killChild(worker.child);
            worker.running = false;
            recordFailure(run, worker, FailureKind::Hang, 0);
        }
        return;
    }
    worker.running = false;
    worker.nextFrame = slot.frame.load() % uint64_t(kZoomCycleFrames) + 1;
    const auto outcome = WorkerOutcome(slot.outcome.load(std::memory_order_acquire));
    if (end.signal == 0 && outcome == WorkerOutcome::Mismatch)
        return recordFailure(run, worker, FailureKind::Mismatch, 0);
    if (end.signal != 0) return recordFailure(run, worker, FailureKind::Crash, end.signal);
    if (outcome == WorkerOutcome::Finished) {
        worker.finished = true;
        return;
    }
    if (end.exitStatus == 0 && headerIn(run.block).stop.load() != 0) return;
    printAboveLive(run,
                   "quorvel-render: the worker on processor " + std::to_string(worker.processor.number) +
                       (outcome == WorkerOutcome::OutOfMemory ? " ran out of memory for its frame buffers\n"
                        : end.exitStatus == kChildNotPinned
                            ? " could not be pinned to it\n"
                            : " ended with status " + std::to_string(end.exitStatus) + "\n"),
                   stderr);
    run.runFailed = true;
    stopRun(run, "error");
}

std::string drawingText(const VerifyRun& run) {
    return std::to_string(run.known->width) + "x" + std::to_string(run.known->height) + " --approx " +
           run.model->name;
}

void showLive(VerifyRun& run, Clock::time_point now) {
    if (!run.live.enabled || now - run.live.lastDrawn < kLiveInterval) return;
    run.live.lastDrawn = now;
    std::vector<LiveWorker> shown;
    for (VerifyWorker& worker : run.workers) {
        const char* state = worker.running    ? "drawing"
                            : worker.finished ? "finished"
                            : run.stopping    ? "stopped"
                                              : "idle";
        shown.push_back({worker.processor.number, worker.processor.core,
                         slotOf(run, worker.slot).verified.load(std::memory_order_relaxed), worker.failures,
                         state});
    }
    drawLive(run.live,
             liveLines(uint64_t(secondsSince(run.start)), run.durationSeconds, drawingText(run), shown));
}

// Watches the running workers until none runs, or until `until` (when given) for a turn of
// one processor; the run's time, interrupts and a pause of this process are seen to here.
void watchWorkers(VerifyRun& run, Clock::time_point until) {
    Clock::time_point lastLook = Clock::now();
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (now - lastLook >= kOwnPause)
            for (VerifyWorker& worker : run.workers) worker.lastChange = now;
        lastLook = now;
        if (const int signal = interruptNoted(); signal != 0) stopRun(run, signalName(signal));
        if (run.durationSeconds > 0 && secondsSince(run.start) >= double(run.durationSeconds))
            stopRun(run, "time");
        if (until != Clock::time_point{} && now >= until) headerIn(run.block).stop.store(1);
        bool anyRunning = false;
        for (VerifyWorker& worker : run.workers) {
            if (worker.running) watch(run, worker, Clock::now());
            anyRunning = anyRunning || worker.running;
        }
        if (!anyRunning) return;
        showLive(run, Clock::now());
        std::this_thread::sleep_for(kPollInterval);
    }
}

void setScheduleStart(VerifyRun& run) {
    headerIn(run.block).scheduleStartNanos = Clock::now().time_since_epoch().count();
}

void runAllAtOnce(VerifyRun& run) {
    setScheduleStart(run);
    const uint64_t count = run.workers.size();
    for (uint64_t w = 0; w < count && !run.runFailed; ++w) {
        VerifyWorker& worker = run.workers[w];
        worker.nextFrame = w * uint64_t(kZoomCycleFrames) / count;
        startWorker(run, worker);
    }
    watchWorkers(run, {});
}

// One processor after another, each for --per-cpu-time with the rest idle, round after round
// until the run's time is up or every one has drawn its frames.
void runOneAtATime(VerifyRun& run) {
    for (size_t turn = 0; !run.stopping && !run.runFailed; ++turn) {
        VerifyWorker& worker = run.workers[turn % run.workers.size()];
        if (std::all_of(run.workers.begin(), run.workers.end(),
                        [](const VerifyWorker& w) { return w.finished; }))
            break;
        if (worker.finished) continue;
        headerIn(run.block).stop.store(0);
        setScheduleStart(run);
        if (!startWorker(run, worker)) break;
        watchWorkers(run, Clock::now() + std::chrono::seconds(run.options.perCpuSeconds));
    }
}

// Stops what still runs: told to stop, a worker ends after its frame; one that does not
// within the stall time is hung.
void endWorkers(VerifyRun& run) {
    const bool allFinished =
        std::all_of(run.workers.begin(), run.workers.end(), [](const VerifyWorker& w) { return w.finished; });
    stopRun(run, allFinished ? "frames" : "time");
    watchWorkers(run, {});
}

ReportWorker reportWorker(VerifyRun& run, const VerifyWorker& worker) {
    const WorkerSlot& slot = slotOf(run, worker.slot);
    SlotIdentity identity = slot.identity;
    identity.vendor[sizeof identity.vendor - 1] = '\0';
    identity.brand[sizeof identity.brand - 1] = '\0';
    return {worker.processor.number,
            worker.processor.core,
            worker.processor.package,
            identity,
            microcodeOf(worker.processor.number),
            slot.drawn.load(),
            slot.verified.load(),
            worker.failures};
}

RunReport reportOf(VerifyRun& run) {
    RunReport report{};
    report.kind = "verify";
    report.spanRoutine = spanRoutineName(run.spanRoutine);
    report.approx = run.model->name;
    report.approxNative = run.native;
    report.fingerprint = run.known->fingerprint;
    report.width = run.known->width;
    report.height = run.known->height;
    report.firstFrame = 0;
    report.lastFrame = uint64_t(kZoomCycleFrames) - 1;
    FrameTimeHistogram times{};
    for (const VerifyWorker& worker : run.workers) {
        report.workers.push_back(reportWorker(run, worker));
        report.framesVerified += report.workers.back().framesVerified;
        mergeFrameTimes(times, slotOf(run, worker.slot).times);
    }
    report.times = statisticsOf(times);
    if (!report.workers.empty()) {
        report.processorIdentity = report.workers.front().identity;
        report.processorMicrocode = report.workers.front().microcode;
    }
    // A worker that never started said nothing of its processor: this one speaks for it.
    if (report.processorIdentity.vendor[0] == '\0') report.processorIdentity = thisProcessorsIdentity();
    report.mismatches = run.mismatches;
    report.workersLost = run.lost;
    report.verdict = !run.failures.empty()       ? "fail"
                     : run.runFailed             ? "error"
                     : report.framesVerified > 0 ? "pass"
                                                 : "no-frames";
    report.stoppedBy = run.stoppedBy;
    report.elapsedSeconds = secondsSince(run.start);
    report.durationSeconds = run.durationSeconds;
    report.oneAtATime = run.options.oneAtATime;
    report.keepGoing = run.options.keepGoing;
    report.perCpuSeconds = run.options.perCpuSeconds;
    report.failures = run.failures;
    return report;
}

const KnownFrameHashes* tableWithFingerprint(uint64_t fingerprint, int width, int height) {
    for (const KnownFrameHashes& table : knownFrameHashes())
        if (table.fingerprint == fingerprint && table.width == width && table.height == height) return &table;
    return nullptr;
}

// The known hashes to check against: those of the model asked for, or, for native (the
// default where it matches), of the maker whose model gives this processor's results.
bool chooseModel(const RenderOptions& options, VerifyRun& run, std::string& error) {
    const bool askedNative = isNative(*options.approx);
    const KnownFrameHashes* nativeTable =
        askedNative ? tableWithFingerprint(approxFingerprint(*options.approx), options.width, options.height)
                    : nullptr;
    if (askedNative && nativeTable == nullptr && options.approxGiven) {
        char fingerprint[24];
        std::snprintf(fingerprint, sizeof fingerprint, "%016" PRIx64, approxFingerprint(*options.approx));
        error = std::string("--approx native: this processor's approximations (fingerprint ") + fingerprint +
                ") are neither Intel's nor AMD's, which the known hashes are drawn with; use --approx intel "
                "or amd";
        return false;
    }
    const std::string name = nativeTable != nullptr ? nativeTable->model
                             : askedNative          ? "intel"
                                                    : options.approx->name;
    std::string why;
    run.model = approxModelNamed(name, why);
    run.known = knownFrameHashesFor(name, options.width, options.height);
    run.native = isNative(fastestEquivalent(*run.model));
    return run.model != nullptr && run.known != nullptr;
}

// The processors named by --cpus, or as many as --threads asks for placed as for drawing.
bool chooseProcessors(const RenderOptions& options, VerifyRun& run, std::string& error) {
    std::vector<LogicalProcessor> chosen;
    const auto allowedNumber = [&](int number) {
        return std::find_if(run.allowed.begin(), run.allowed.end(),
                            [&](const LogicalProcessor& p) { return p.number == number; });
    };
    if (!options.cpus.empty()) {
        for (int number : options.cpus) {
            const auto found = allowedNumber(number);
            if (found == run.allowed.end()) {
                error = "--cpus names processor " + std::to_string(number) +
                        ", which this process may not run on";
                return false;
            }
            chosen.push_back(*found);
        }
    } else {
        const int count = options.threads > 0 ? options.threads : int(run.allowed.size());
        if (count > int(run.allowed.size())) {
            error = "--verify --threads " + std::to_string(count) + ": this process may run on only " +
                    std::to_string(run.allowed.size()) + " processors, and each worker needs one of its own";
            return false;
        }
        const BandWorkers placed = workersOnProcessors(run.allowed, count);
        for (int w = 0; w < placed.count; ++w) chosen.push_back(*allowedNumber(placed.processors[w]));
    }
    for (size_t w = 0; w < chosen.size(); ++w) {
        run.workers.push_back({chosen[w], int(w), {}, false, false, 0, 0, Clock::now(), 0});
    }
    return true;
}

// The shared block goes however the run ends.
struct SharedBlock {
    void* pages;
    size_t bytes;
    ~SharedBlock() { releaseSharedPages(pages, bytes); }
};

}  // namespace

int runVerify(const RenderOptions& options, const InjectedFaults& faults) {
    if (!childProcessesAvailable())
        return refuse(
            "--verify is not in the Windows build yet: it runs each processor's worker as a process of its "
            "own, "
            "which only the Linux build starts");
    std::string error;
    VerifyRun run{options, faults, nullptr, nullptr, false, std::nullopt, nullptr, nullptr, {}, {}, {},
                  60,      {},     {},      0,       0,     false,        "",      false,   {}};
    run.allowed = allowedProcessors();
    if (!chooseModel(options, run, error) || !chooseProcessors(options, run, error)) return refuse(error);
    std::filesystem::path made;
    if (options.outGiven && !prepareOutputFolder(options.outDir, made, error)) return refuse(error);
    struct LeftEmptyRemoved {
        const std::string& folder;
        const std::filesystem::path& made;
        ~LeftEmptyRemoved() { removeMadeFolders(pathFromUtf8(folder), made); }
    } leftEmptyRemoved{options.outDir, made};
    if (!options.report.empty() && !placeTakesFile(options.report, error)) return refuse(error);

    run.scene.emplace(prepareBuiltInScene(*run.model));
    run.spanRoutine = options.spanRoutine != nullptr ? options.spanRoutine : fastestSpanRoutine();
    run.layout = verifyLayout(int(run.workers.size()) + 2, run.known->width, run.known->height);
    const SharedBlock shared{allocateSharedPages(run.layout.bytes), run.layout.bytes};
    if (shared.pages == nullptr) {
        std::fputs("quorvel-render: out of memory for the workers' shared record\n", stderr);
        return 1;
    }
    run.block = shared.pages;
    run.durationSeconds = options.oneAtATime && !options.durationGiven && options.framesPerProcessor == 0
                              ? options.perCpuSeconds * run.workers.size()
                              : options.durationSeconds;
    noteInterrupts();
    run.live = {!options.quiet && isTerminal(stderr), 0, {}};
    if (!options.quiet) {
        std::string processors;
        for (const VerifyWorker& worker : run.workers)
            processors += (processors.empty() ? "" : ",") + std::to_string(worker.processor.number);
        const std::string howLong = run.durationSeconds > 0 ? "for " + clockText(run.durationSeconds)
                                    : options.framesPerProcessor > 0
                                        ? "for " + std::to_string(options.framesPerProcessor) + " frames each"
                                        : "until stopped (Ctrl+C)";
        std::fprintf(stderr, "quorvel-render: verifying processor%s %s%s %s at %s%s\n",
                     run.workers.size() == 1 ? "" : "s", processors.c_str(),
                     options.oneAtATime ? " one at a time" : "", howLong.c_str(), drawingText(run).c_str(),
                     run.native
                         ? " (this processor's own instructions, which give exactly that model's results)"
                         : "");
    }
    run.start = Clock::now();
    if (options.oneAtATime) {
        runOneAtATime(run);
    } else {
        runAllAtOnce(run);
    }
    endWorkers(run);
    wipeLive(run.live);

    const RunReport report = reportOf(run);
    std::fputs(verdictLine(report).c_str(), stdout);
    if (std::fflush(stdout) != 0) run.runFailed = true;
    if (!options.report.empty() && !writeReport(options.report, report, error)) {
        std::fprintf(stderr, "quorvel-render: %s\n", error.c_str());
        run.runFailed = true;
    }
    if (!run.failures.empty()) return 3;
    if (run.runFailed) return 1;
    if (const int signal = interruptNoted(); signal != 0) endAsInterrupted(signal);
    return report.framesVerified > 0 ? 0 : 1;
}

}  // namespace quorvel
