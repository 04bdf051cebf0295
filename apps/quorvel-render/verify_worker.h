#pragma once

#include <chrono>
#include <cstdint>

#include "frame/known_frame_hashes.h"
#include "quorvel-render/injected_faults.h"
#include "quorvel-render/verify_shared.h"
#include "raster/raster_types.h"
#include "scene/preparation.h"

namespace quorvel {

// Drawing goes on in stretches with short idle gaps between them, every worker at once,
// since some faults show only when the load changes; the first frames after a start or a
// gap, while caches and clocks settle, are warm-up and kept out of the frame times.
inline constexpr std::chrono::milliseconds kDrawingStretch{9500}, kIdleGap{500};
inline constexpr int kWarmUpFrames = 10;

// What one worker process is told: it draws whole frames of the cycle one after another on
// its processor, from `firstFrame`, into buffers of its own, each hashed as it is drawn and
// compared with its known hash, until told to stop, until its slot has drawn `frameBudget`
// (0: no end), or until a frame comes out wrong, which it leaves in its slot's pixels. A
// retest draws `firstFrame` once and leaves it there, right or wrong.
struct WorkerTask {
    const PreparedScene* scene;
    const KnownFrameHashes* known;
    SpanRoutine spanRoutine;
    void* block;
    VerifyLayout layout;
    int slot;
    int processor;
    uint64_t firstFrame;
    uint64_t frameBudget;
    bool retest;
    const InjectedFaults* faults;
};

// A ChildEntry for a WorkerTask; the outcome is in the slot.
int runVerifyWorker(void* task);

}  // namespace quorvel
