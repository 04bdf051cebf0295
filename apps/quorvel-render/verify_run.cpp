#include "quorvel-render/verify_run.h"

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>

#include "frame/animation.h"
#include "frame/known_frame_hashes.h"
#include "frame/worker_processors.h"
#include "io/image_file.h"
#include "io/quoted_text.h"
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
#include "quorvel-render/verify_status.h"
#include "quorvel-render/verify_worker.h"
#include "raster/span_routines.h"

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

// A worker that draws no frame for this long is hung: a frame takes milliseconds, and even a
// machine shared with other work or a sanitizer's build draws one in well under a second.
constexpr std::chrono::seconds kStallTime{10};
constexpr std::chrono::milliseconds kPollInterval{10}, kLiveInterval{500};
// A gap this long between two looks at the workers means this process itself was stopped
// (Ctrl+Z), not that they were: their stall clocks start again.
constexpr std::chrono::seconds kOwnPause{2};

int refuse(const std::string& message) {
    std::fprintf(stderr, "quorvel-render: %s\n", message.c_str());
    return 2;
}

struct Worker {
    LogicalProcessor processor;
    int slot;
    ChildProcess child;
    bool running, finished;
    uint64_t nextFrame;
    uint64_t seenProgress;
    Clock::time_point lastChange;
    int failures;
};

// Terminal lines redrawn in place under whatever else is printed.
struct LiveLines {
    bool enabled;
    int shown;
    Clock::time_point lastDrawn;
};

void wipeLive(LiveLines& live) {
    if (live.shown > 0) std::fprintf(stderr, "\x1b[%dA\r\x1b[J", live.shown);
    live.shown = 0;
}

void drawLive(LiveLines& live, const std::vector<std::string>& lines) {
    wipeLive(live);
    const size_t columns = size_t(std::max(terminalColumns(stderr) - 1, 1));
    for (const std::string& line : lines) std::fprintf(stderr, "%s\n", line.substr(0, columns).c_str());
    std::fflush(stderr);
    live.shown = int(lines.size());
}

struct Run {
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
    std::vector<Worker> workers;
    uint64_t durationSeconds;
    Clock::time_point start;
    std::vector<FailureRecord> failures;
    int mismatches, lost;
    bool stopping;
    std::string stoppedBy;
    bool runFailed;  // the run itself, not a processor: status 1
    LiveLines live;
};

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

WorkerSlot& slotOf(Run& run, int slot) { return slotIn(run.block, run.layout, slot); }

void printAboveLive(Run& run, const std::string& line) {
    wipeLive(run.live);
    std::fputs(line.c_str(), stdout);
    std::fflush(stdout);
}

void resetSlot(WorkerSlot& slot) {
    slot.progress.store(0);
    slot.drawn.store(0);
    slot.verified.store(0);
    slot.frame.store(0);
    slot.outcome.store(int(WorkerOutcome::Running));
    slot.hash = 0;
    std::memset(&slot.identity, 0, sizeof slot.identity);
    std::memset(&slot.times, 0, sizeof slot.times);
}

WorkerTask taskFor(Run& run, int slot, int processor, uint64_t firstFrame, bool retest) {
    return {&*run.scene, run.known,  run.spanRoutine,
            run.block,   run.layout, slot,
            processor,   firstFrame, retest ? 0 : run.options.framesPerProcessor,
            retest,      &run.faults};
}

bool startWorker(Run& run, Worker& worker) {
    WorkerSlot& slot = slotOf(run, worker.slot);
    slot.outcome.store(int(WorkerOutcome::Running));
    slot.frame.store(worker.nextFrame % uint64_t(kZoomCycleFrames));
    WorkerTask task = taskFor(run, worker.slot, worker.processor.number, worker.nextFrame, false);
    if (!startChildProcess(runVerifyWorker, &task, worker.processor.number, worker.child)) {
        printAboveLive(run, "quorvel-render: cannot start a worker process for processor " +
                                std::to_string(worker.processor.number) + "\n");
        run.runFailed = true;
        return false;
    }
    worker.running = true;
    worker.seenProgress = slot.progress.load();
    worker.lastChange = Clock::now();
    return true;
}

void stopRun(Run& run, const std::string& why) {
    if (run.stopping) return;
    run.stopping = true;
    run.stoppedBy = why;
    headerIn(run.block).stop.store(1, std::memory_order_release);
}

// Draws `frame` once more on each of `processors` (-1: none), each in a fresh process of its
// own in its retest slot, all at once, and says how each came out.
void retest(Run& run, uint64_t frame, const int (&processors)[2], Retest (&results)[2]) {
    ChildProcess children[2];
    WorkerTask tasks[2];
    for (int i = 0; i < 2; ++i) {
        results[i] = {processors[i], RetestResult::NotRun};
        if (processors[i] < 0) continue;
        const int slot = int(run.workers.size()) + i;
        resetSlot(slotOf(run, slot));
        tasks[i] = taskFor(run, slot, processors[i], frame, true);
        startChildProcess(runVerifyWorker, &tasks[i], processors[i], children[i]);
    }
    const Clock::time_point began = Clock::now();
    for (int i = 0; i < 2; ++i) {
        ChildEnd end{};
        while (!(end = childEnded(children[i])).ended && Clock::now() - began < kStallTime)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (processors[i] < 0) continue;
        if (!end.ended) {
            killChild(children[i]);
            results[i].result = RetestResult::Hung;
            continue;
        }
        const WorkerSlot& done = slotOf(run, int(run.workers.size()) + i);
        if (end.signal != 0) {
            results[i].result = RetestResult::Crashed;
        } else if (done.outcome.load(std::memory_order_acquire) == int(WorkerOutcome::Retested)) {
            results[i].result =
                done.hash == run.known->hashes[frame] ? RetestResult::Right : RetestResult::Wrong;
        }
    }
}

// Another processor for the retest: one of the run's on another core first, then any other
// this process may use; -1 where there is none.
int otherProcessor(const Run& run, const LogicalProcessor& failed) {
    for (const Worker& worker : run.workers) {
        const LogicalProcessor& p = worker.processor;
        if (p.number != failed.number && (p.core < 0 || p.core != failed.core || p.package != failed.package))
            return p.number;
    }
    for (const LogicalProcessor& p : run.allowed)
        if (p.number != failed.number) return p.number;
    return -1;
}

std::string imagePath(const Run& run, const FailureRecord& record, const char* which) {
    char name[96];
    std::snprintf(name, sizeof name, "failure-%d-cpu%d-frame-%05" PRIu64 "-%s.png", record.number,
                  record.processor, record.frame, which);
    return utf8Of(pathFromUtf8(run.options.outDir) / name);
}

// The wrong frame beside the right one, from whichever retest drew it right, and the first
// row where they differ.
void keepEvidence(Run& run, FailureRecord& record, int slot) {
    const int width = run.known->width, height = run.known->height;
    const int sameSlot = int(run.workers.size()), otherSlot = sameSlot + 1;
    const uint32_t* wrong = pixelsIn(run.block, run.layout, slot);
    const uint32_t* right =
        record.otherProcessor.result == RetestResult::Right  ? pixelsIn(run.block, run.layout, otherSlot)
        : record.sameProcessor.result == RetestResult::Right ? pixelsIn(run.block, run.layout, sameSlot)
                                                             : nullptr;
    for (int y = 0; right != nullptr && y < height && record.firstDifferingRow < 0; ++y) {
        const size_t at = size_t(y) * size_t(width);
        if (std::memcmp(wrong + at, right + at, size_t(width) * sizeof(uint32_t)) != 0)
            record.firstDifferingRow = y;
    }
    std::error_code code;
    std::filesystem::create_directories(pathFromUtf8(run.options.outDir), code);
    std::string error;
    const std::string wrongPath = imagePath(run, record, "wrong"),
                      rightPath = imagePath(run, record, "right");
    if (!writeImage(wrongPath, ImageFormat::Png, wrong, width, height, width, error)) {
        printAboveLive(run, "quorvel-render: " + error + "\n");
        return;
    }
    record.wrongImage = wrongPath;
    if (right == nullptr) return;
    if (!writeImage(rightPath, ImageFormat::Png, right, width, height, width, error)) {
        printAboveLive(run, "quorvel-render: " + error + "\n");
        return;
    }
    record.rightImage = rightPath;
}

void recordFailure(Run& run, Worker& worker, FailureKind kind, int signal) {
    WorkerSlot& slot = slotOf(run, worker.slot);
    FailureRecord record{};
    record.number = int(run.failures.size()) + 1;
    record.seconds = secondsSince(run.start);
    record.kind = kind;
    record.processor = worker.processor.number;
    record.core = worker.processor.core;
    record.package = worker.processor.package;
    // The slot is the worker's to write: a processor that computes wrong may have left
    // anything there, so its texts are ended and its frame kept in the cycle.
    record.identity = slot.identity;
    record.identity.vendor[sizeof record.identity.vendor - 1] = '\0';
    record.identity.brand[sizeof record.identity.brand - 1] = '\0';
    record.microcode = microcodeOf(worker.processor.number);
    record.frame = slot.frame.load(std::memory_order_acquire) % uint64_t(kZoomCycleFrames);
    record.width = run.known->width;
    record.height = run.known->height;
    record.approx = run.model->name;
    record.expectedHash = run.known->hashes[record.frame];
    record.actualHash = kind == FailureKind::Mismatch ? slot.hash : 0;
    record.signal = signal;
    record.hangSeconds = int(kStallTime.count());
    record.firstDifferingRow = -1;
    if (!run.options.keepGoing) stopRun(run, "failure");
    Retest results[2];
    retest(run, record.frame, {worker.processor.number, otherProcessor(run, worker.processor)}, results);
    record.sameProcessor = results[0];
    record.otherProcessor = results[1];
    if (kind == FailureKind::Mismatch) keepEvidence(run, record, worker.slot);
    ++(kind == FailureKind::Mismatch ? run.mismatches : run.lost);
    ++worker.failures;
    printAboveLive(run, failureLine(record));
    run.failures.push_back(record);
    worker.nextFrame = record.frame + 1;
    if (!run.stopping) startWorker(run, worker);
}

// Looks at one running worker: how it ended, if it has, or whether it is still drawing.
void watch(Run& run, Worker& worker, Clock::time_point now) {
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
                            : " ended with status " + std::to_string(end.exitStatus) + "\n"));
    run.runFailed = true;
    stopRun(run, "error");
}

std::string drawingText(const Run& run) {
    return std::to_string(run.known->width) + "x" + std::to_string(run.known->height) + " --approx " +
           run.model->name;
}

void showLive(Run& run, Clock::time_point now) {
    if (!run.live.enabled || now - run.live.lastDrawn < kLiveInterval) return;
    run.live.lastDrawn = now;
    std::vector<LiveWorker> shown;
    for (Worker& worker : run.workers) {
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
void watchWorkers(Run& run, Clock::time_point until) {
    Clock::time_point lastLook = Clock::now();
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (now - lastLook >= kOwnPause)
            for (Worker& worker : run.workers) worker.lastChange = now;
        lastLook = now;
        if (const int signal = interruptNoted(); signal != 0) stopRun(run, signalName(signal));
        if (run.durationSeconds > 0 && secondsSince(run.start) >= double(run.durationSeconds))
            stopRun(run, "time");
        if (until != Clock::time_point{} && now >= until) headerIn(run.block).stop.store(1);
        bool anyRunning = false;
        for (Worker& worker : run.workers) {
            if (worker.running) watch(run, worker, Clock::now());
            anyRunning = anyRunning || worker.running;
        }
        if (!anyRunning) return;
        showLive(run, Clock::now());
        std::this_thread::sleep_for(kPollInterval);
    }
}

void setScheduleStart(Run& run) {
    headerIn(run.block).scheduleStartNanos = Clock::now().time_since_epoch().count();
}

void runAllAtOnce(Run& run) {
    setScheduleStart(run);
    const uint64_t count = run.workers.size();
    for (uint64_t w = 0; w < count && !run.runFailed; ++w) {
        Worker& worker = run.workers[w];
        worker.nextFrame = w * uint64_t(kZoomCycleFrames) / count;
        startWorker(run, worker);
    }
    watchWorkers(run, {});
}

// One processor after another, each for --per-cpu-time with the rest idle, round after round
// until the run's time is up or every one has drawn its frames.
void runOneAtATime(Run& run) {
    for (size_t turn = 0; !run.stopping && !run.runFailed; ++turn) {
        Worker& worker = run.workers[turn % run.workers.size()];
        if (std::all_of(run.workers.begin(), run.workers.end(), [](const Worker& w) { return w.finished; }))
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
void endWorkers(Run& run) {
    const bool allFinished =
        std::all_of(run.workers.begin(), run.workers.end(), [](const Worker& w) { return w.finished; });
    stopRun(run, allFinished ? "frames" : "time");
    watchWorkers(run, {});
}

ReportWorker reportWorker(Run& run, const Worker& worker) {
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

RunReport reportOf(Run& run) {
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
    for (const Worker& worker : run.workers) {
        report.workers.push_back(reportWorker(run, worker));
        report.framesVerified += report.workers.back().framesVerified;
        mergeFrameTimes(times, slotOf(run, worker.slot).times);
    }
    report.times = statisticsOf(times);
    if (!report.workers.empty()) {
        report.processorIdentity = report.workers.front().identity;
        report.processorMicrocode = report.workers.front().microcode;
    }
    report.mismatches = run.mismatches;
    report.workersLost = run.lost;
    report.verdict = !run.failures.empty() ? "fail" : report.framesVerified > 0 ? "pass" : "no-frames";
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
bool chooseModel(const RenderOptions& options, Run& run, std::string& error) {
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
bool chooseProcessors(const RenderOptions& options, Run& run, std::string& error) {
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
    Run run{options, faults, nullptr, nullptr, false, std::nullopt, nullptr, nullptr, {}, {}, {},
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
        for (const Worker& worker : run.workers)
            processors += (processors.empty() ? "" : ",") + std::to_string(worker.processor.number);
        std::fprintf(
            stderr, "quorvel-render: verifying processors %s%s for %s at %s%s\n", processors.c_str(),
            options.oneAtATime ? " one at a time" : "",
            run.durationSeconds == 0 ? "as long as it takes" : clockText(run.durationSeconds).c_str(),
            drawingText(run).c_str(),
            run.native ? " (this processor's own instructions, which give exactly that model's results)"
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
