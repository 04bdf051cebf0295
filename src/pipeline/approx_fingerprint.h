#pragma once

#include <cstdint>

namespace quorvel {

// Names the approximate reciprocal and reciprocal square root this processor computes:
// frames hash alike only on processors whose fingerprints match.
uint64_t approxFingerprint();

}  // namespace quorvel
