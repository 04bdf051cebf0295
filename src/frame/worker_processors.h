#pragma once

#include <span>
#include <string>

#include "frame/band_workers.h"
#include "os/processors.h"

namespace quorvel {

// `count` workers (1 to kMaxWorkers) placed on the `allowed` processors: one on each physical
// core, in processor order, before a second on any core's other thread, and round again when
// there are more workers than processors. Started for each frame until a pool is started.
BandWorkers workersOnProcessors(std::span<const LogicalProcessor> allowed, int count);

// The workers --threads asks for: `requested` of them, or one per processor this process may
// run on when 0, placed on those processors; `processors` is how many there are.
BandWorkers workersForThreadOption(int requested, int& processors);

// The processors of `workers`, in worker order, as "0,1,2".
std::string processorList(const BandWorkers& workers);

}  // namespace quorvel
