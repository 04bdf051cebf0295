#pragma once

#include <algorithm>
#include <cstdint>

#include "numeric/pixel_rect.h"

namespace quorvel {

// The reference draws the top half and then the bottom half. The workers take the frame in
// up to kMaxBands bands, the next one not yet taken each time, so that none waits long for
// the others however the work falls or whichever processor is held up.
inline constexpr int kReferenceBands = 2;
inline constexpr int kMaxBands = 1024;

// Bands for `workers` band workers: BANDS_PER_WORKER_PLACEHOLDER
inline int bandCountFor(int workers) { return std::clamp(16 * workers, 32, kMaxBands); }

// Band `band` of `count` cut top to bottom from a frame `height` rows tall, all columns:
// rows band x height / count up to the next band's first. Two bands are the two halves,
// split at height / 2.
inline PixelRect bandRect(int band, int count, int width, int height) {
    return {int(int64_t(band) * height / count), int(int64_t(band + 1) * height / count), 0, width};
}

}  // namespace quorvel
