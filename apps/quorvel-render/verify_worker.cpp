#include "quorvel-render/verify_worker.h"

#include <algorithm>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

#include "frame/animation.h"
#include "frame/bands.h"
#include "frame/frame_buffers.h"
#include "frame/frame_driver.h"
#include "numeric/frame_hash.h"

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

// Frame `frame` of the cycle is the next one drawn.
FrameState framesFrom(const WorkerTask& task, const FrameBuffers& buffers, uint64_t frame) {
    FrameState frames = startFrames(*task.scene, viewportOf(buffers));
    hashEveryFrame(frames);
    skipFrames(frames, frame);
    return frames;
}

// Sleeps through the idle gap the schedule is in, if any; true when it slept.
bool idleThroughGap(const VerifyHeader& header) {
    const Clock::time_point start{Clock::duration(header.scheduleStartNanos)};
    const auto period = kDrawingStretch + kIdleGap;
    const auto intoPeriod = (Clock::now() - start) % period;
    if (intoPeriod < kDrawingStretch) return false;
    std::this_thread::sleep_for(period - intoPeriod);
    return true;
}

// The test build's faults; none in quorvel-render itself.
bool faultHere(const WorkerTask& task, uint64_t frame) {
    const InjectedFaults& faults = *task.faults;
    return faults.kind != InjectedFaults::Kind::None && faults.processor == task.processor &&
           faults.frame == frame && (!task.retest || faults.repeats);
}

void crashOrHang(const WorkerTask& task, uint64_t frame) {
    const InjectedFaults& faults = *task.faults;
    if (!faultHere(task, frame) || faults.kind == InjectedFaults::Kind::Flip) return;
    std::fprintf(stderr, "injected: %s on processor %d frame %" PRIu64 "\n",
                 faults.kind == InjectedFaults::Kind::Hang ? "hang" : "crash", task.processor, frame);
    if (faults.kind == InjectedFaults::Kind::Crash) std::raise(faults.signal);
    for (volatile bool forever = true; forever;) {
    }
}

// One bit of one pixel flipped after drawing, and its row hashed again, as a processor that
// got the pixel wrong would have drawn it.
void flipBit(FrameState& frames, uint32_t* pixels, const WorkerTask& task, uint64_t frame, uint64_t drawn) {
    const InjectedFaults& faults = *task.faults;
    const bool spread = faults.flipEvery > 0 && drawn % faults.flipEvery == 0 &&
                        drawn / faults.flipEvery <= faults.flipsPerWorker;
    const bool single = faultHere(task, frame) && faults.kind == InjectedFaults::Kind::Flip;
    if (!spread && !single) return;
    const int width = frames.viewport.width, height = frames.viewport.height;
    const uint64_t mixed = (drawn + uint64_t(task.processor) * 7919u) * 0x9E3779B97F4A7C15ull;
    const int x = int((mixed >> 8) % uint64_t(width)), y = int((mixed >> 24) % uint64_t(height));
    const int bit = int((mixed >> 48) % 32u);
    uint32_t* row = pixels + size_t(y) * size_t(width);
    row[x] ^= 1u << bit;
    frames.rowRecords[size_t(y)] = rowRecord(row, 0, width);
    std::fprintf(stderr, "injected: flip on processor %d frame %" PRIu64 " pixel %d,%d bit %d\n",
                 task.processor, frame, x, y, bit);
}

}  // namespace

int runVerifyWorker(void* argument) {
    const WorkerTask& task = *static_cast<const WorkerTask*>(argument);
    VerifyHeader& header = headerIn(task.block);
    WorkerSlot& slot = slotIn(task.block, task.layout, task.slot);
    slot.identity = thisProcessorsIdentity();
    const int width = task.known->width, height = task.known->height;
    FrameBuffers buffers;
    if (!allocateFrameBuffers(width, height, 1, buffers)) {
        slot.outcome.store(int(WorkerOutcome::OutOfMemory), std::memory_order_release);
        return 0;
    }
    const RenderPath path{task.spanRoutine, bandCountFor(1), nullptr};
    uint64_t frame = task.firstFrame % uint64_t(kZoomCycleFrames);
    FrameState frames = framesFrom(task, buffers, frame);
    int warmUp = kWarmUpFrames;
    for (;;) {
        if (!task.retest && header.stop.load(std::memory_order_acquire) != 0) return 0;
        if (task.frameBudget > 0 && slot.drawn.load(std::memory_order_relaxed) >= task.frameBudget) {
            slot.outcome.store(int(WorkerOutcome::Finished), std::memory_order_release);
            return 0;
        }
        if (!task.retest && idleThroughGap(header)) {
            slot.progress.fetch_add(1, std::memory_order_release);
            warmUp = kWarmUpFrames;
            continue;
        }
        slot.frame.store(frame, std::memory_order_release);
        crashOrHang(task, frame);
        const Clock::time_point start = Clock::now();
        const DrawnFrame drawn = renderFrame(*task.scene, frames, path);
        const uint64_t count = slot.drawn.fetch_add(1, std::memory_order_relaxed) + 1;
        if (task.faults->flipEvery > 0 || task.faults->kind == InjectedFaults::Kind::Flip)
            flipBit(frames, static_cast<uint32_t*>(buffers.color[0].data()), task, frame, count);
        const uint64_t hash = lastFrameHash(frames);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (warmUp > 0) {
            --warmUp;
            ++slot.times.warmupFrames;
        } else {
            addFrameTime(slot.times, seconds);
        }
        const bool right = hash == task.known->hashes[frame];
        if (task.retest || !right) {
            std::memcpy(pixelsIn(task.block, task.layout, task.slot), drawn.pixels,
                        size_t(width) * size_t(height) * sizeof(uint32_t));
            slot.hash = hash;
            slot.outcome.store(int(task.retest ? WorkerOutcome::Retested : WorkerOutcome::Mismatch),
                               std::memory_order_release);
            return 0;
        }
        slot.verified.fetch_add(1, std::memory_order_relaxed);
        slot.progress.fetch_add(1, std::memory_order_release);
        if (++frame == uint64_t(kZoomCycleFrames)) {
            frame = 0;
            frames = framesFrom(task, buffers, 0);
        }
    }
}

}  // namespace quorvel
