#pragma once

#include <cstdint>

#include "numeric/approx_model.h"

namespace quorvel {

// Names the approximate reciprocal and reciprocal square root a model computes: frames hash
// alike only where the fingerprints match. A maker's model has the fingerprint of that
// maker's processors.
uint64_t approxFingerprint(const ApproxModel& approx);

}  // namespace quorvel
