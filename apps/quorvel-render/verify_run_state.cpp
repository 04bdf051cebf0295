#include "quorvel-render/verify_run_state.h"

#include <algorithm>
#include <cstdio>

#include "frame/animation.h"
#include "os/process_info.h"

namespace quorvel {

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

void printAboveLive(VerifyRun& run, const std::string& line, std::FILE* stream) {
    wipeLive(run.live);
    std::fputs(line.c_str(), stream);
    std::fflush(stream);
}

WorkerTask taskFor(VerifyRun& run, int slot, int processor, uint64_t firstFrame, bool retest) {
    return {&*run.scene, run.known,  run.spanRoutine,
            run.block,   run.layout, slot,
            processor,   firstFrame, retest ? 0 : run.options.framesPerProcessor,
            retest,      &run.faults};
}

bool startWorker(VerifyRun& run, VerifyWorker& worker) {
    WorkerSlot& slot = slotOf(run, worker.slot);
    slot.outcome.store(int(WorkerOutcome::Running));
    slot.frame.store(worker.nextFrame % uint64_t(kZoomCycleFrames));
    WorkerTask task = taskFor(run, worker.slot, worker.processor.number, worker.nextFrame, false);
    if (!startChildProcess(runVerifyWorker, &task, worker.processor.number, worker.child)) {
        printAboveLive(run,
                       "quorvel-render: cannot start a worker process for processor " +
                           std::to_string(worker.processor.number) + "\n",
                       stderr);
        run.runFailed = true;
        stopRun(run, "error");
        return false;
    }
    worker.running = true;
    worker.seenProgress = slot.progress.load();
    worker.lastChange = VerifyClock::now();
    return true;
}

void stopRun(VerifyRun& run, const std::string& why) {
    if (run.stopping) return;
    run.stopping = true;
    run.stoppedBy = why;
    headerIn(run.block).stop.store(1, std::memory_order_release);
}

// Draws `frame` once more on each of `processors` (-1: none), each in a fresh process of its
// own in its retest slot, all at once, and says how each came out.

}  // namespace quorvel
