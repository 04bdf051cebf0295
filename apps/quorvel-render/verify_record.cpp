#include "quorvel-render/verify_record.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <thread>

#include "frame/animation.h"
#include "io/image_file.h"
#include "io/quoted_text.h"
#include "io/utf8_path.h"
#include "os/system_facts.h"

namespace quorvel {
namespace {

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

void retest(VerifyRun& run, uint64_t frame, const int (&processors)[2], Retest (&results)[2]) {
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
    const VerifyClock::time_point began = VerifyClock::now();
    for (int i = 0; i < 2; ++i) {
        ChildEnd end{};
        while (!(end = childEnded(children[i])).ended && VerifyClock::now() - began < kStallTime)
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
int otherProcessor(const VerifyRun& run, const LogicalProcessor& failed) {
    for (const VerifyWorker& worker : run.workers) {
        const LogicalProcessor& p = worker.processor;
        if (p.number != failed.number && (p.core < 0 || p.core != failed.core || p.package != failed.package))
            return p.number;
    }
    for (const LogicalProcessor& p : run.allowed)
        if (p.number != failed.number) return p.number;
    return -1;
}

std::string imagePath(const VerifyRun& run, const FailureRecord& record, const char* which) {
    char name[96];
    std::snprintf(name, sizeof name, "failure-%d-cpu%d-frame-%05" PRIu64 "-%s.png", record.number,
                  record.processor, record.frame, which);
    return utf8Of(pathFromUtf8(run.options.outDir) / name);
}

// The wrong frame beside the right one, from whichever retest drew it right, and the first
// row where they differ.
void keepEvidence(VerifyRun& run, FailureRecord& record, int slot) {
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
    if (code) {
        printAboveLive(run,
                       "quorvel-render: cannot make the folder " + quotedValue(run.options.outDir) + ": " +
                           code.message() + "\n",
                       stderr);
        return;
    }
    std::string error;
    const std::string wrongPath = imagePath(run, record, "wrong"),
                      rightPath = imagePath(run, record, "right");
    if (!writeImage(wrongPath, ImageFormat::Png, wrong, width, height, width, error)) {
        printAboveLive(run, "quorvel-render: " + error + "\n", stderr);
        return;
    }
    record.wrongImage = wrongPath;
    if (right == nullptr) return;
    if (!writeImage(rightPath, ImageFormat::Png, right, width, height, width, error)) {
        printAboveLive(run, "quorvel-render: " + error + "\n", stderr);
        return;
    }
    record.rightImage = rightPath;
}

}  // namespace

void recordFailure(VerifyRun& run, VerifyWorker& worker, FailureKind kind, int signal) {
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
    printAboveLive(run, failureLine(record), stdout);
    run.failures.push_back(record);
    worker.nextFrame = record.frame + 1;
    if (!run.stopping) startWorker(run, worker);
}

// Looks at one running worker: how it ended, if it has, or whether it is still drawing.

}  // namespace quorvel
