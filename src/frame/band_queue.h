#pragma once

#include <atomic>

#include "frame/bands.h"

namespace quorvel {

// A frame's bands, handed out one at a time, in `order`, to whichever worker asks next.
struct BandQueue {
    int count;
    int order[kMaxBands];
    std::atomic<int> next;  // the place in `order` of the next band to hand out
};

// The next band to draw, or -1 once every band has been taken. Bands change only pixels of
// their own rows, and the workers are joined before the frame is used: handing out the next
// band orders nothing else.
inline int takeBand(BandQueue& queue) {
    const int taken = queue.next.fetch_add(1, std::memory_order_relaxed);
    return taken < queue.count ? queue.order[taken] : -1;
}

}  // namespace quorvel
