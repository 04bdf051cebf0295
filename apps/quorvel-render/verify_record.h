#pragma once

#include "quorvel-render/verify_run_state.h"

namespace quorvel {

// A failure of `worker`'s processor: recorded with what the slot says, the frame drawn again
// on that processor and on another, a wrong frame saved beside the right one, the record
// printed and kept; then the run stops, or with --keep-going the worker goes on past the frame.
void recordFailure(VerifyRun& run, VerifyWorker& worker, FailureKind kind, int signal);

}  // namespace quorvel
