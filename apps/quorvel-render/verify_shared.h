#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "quorvel-render/frame_time_histogram.h"

namespace quorvel {

// What a --verify run and its worker processes share: one page-aligned block made before
// the workers start, a header, a slot per worker (and two for retests), then a frame's pixels
// per slot for the wrong or retested frame. Pixels are touched only when a frame is kept.

static_assert(std::atomic<uint64_t>::is_always_lock_free, "shared between processes");

struct VerifyHeader {
    std::atomic<int> stop;       // set: every worker ends after the frame it is drawing
    int64_t scheduleStartNanos;  // the steady clock when drawing began: idle gaps count from it
};

// How a worker ended, when it ended by itself.
enum class WorkerOutcome : int { Running, Finished, Mismatch, OutOfMemory, Retested };

// CPUID as the worker's own processor answered it.
struct SlotIdentity {
    char vendor[16];
    char brand[64];
    int family, model, stepping;
};
// What CPUID says on the processor the calling thread runs on.
SlotIdentity thisProcessorsIdentity();

struct WorkerSlot {
    std::atomic<uint64_t> progress;  // bumped after every frame and every idle gap: the watchdog's
    std::atomic<uint64_t> drawn;     // frames drawn, over every start of the worker
    std::atomic<uint64_t> verified;  // of those, found equal to their known hash
    std::atomic<uint64_t> frame;     // the frame of the cycle being drawn, or last drawn
    std::atomic<int> outcome;        // a WorkerOutcome; the fields below are written before it
    uint64_t hash;                   // the last frame's, as drawn
    SlotIdentity identity;
    FrameTimeHistogram times;
};

// Where everything lies in the block, for `slots` slots of frames width x height.
struct VerifyLayout {
    size_t slotsOffset, pixelsOffset, pixelsPerSlot, bytes;
};
VerifyLayout verifyLayout(int slots, int width, int height);

inline VerifyHeader& headerIn(void* block) { return *static_cast<VerifyHeader*>(block); }
inline WorkerSlot& slotIn(void* block, const VerifyLayout& layout, int slot) {
    return reinterpret_cast<WorkerSlot*>(static_cast<char*>(block) + layout.slotsOffset)[slot];
}
inline uint32_t* pixelsIn(void* block, const VerifyLayout& layout, int slot) {
    return reinterpret_cast<uint32_t*>(static_cast<char*>(block) + layout.pixelsOffset) +
           size_t(slot) * layout.pixelsPerSlot;
}

}  // namespace quorvel
