#pragma once

#include "quorvel-render/injected_faults.h"
#include "quorvel-render/render_options.h"

namespace quorvel {

// The processors' stability test (--verify): a worker process pinned to each processor draws
// frames and checks each against its known hash, while this one watches them. Returns the
// exit status: 0 when every frame drawn was right and at least one was checked; 3 when a
// frame came out wrong or a worker was lost (it crashed or hung); 2 for processors or a
// model that cannot be verified, named on the command line; 1 for a failure of the run itself
// (out of memory, a report that cannot be written); 128 + N when signal N stopped a run that
// found nothing wrong.
int runVerify(const RenderOptions& options, const InjectedFaults& faults);

}  // namespace quorvel
