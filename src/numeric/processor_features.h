#pragma once

namespace quorvel {

// Whether this processor has AVX-512 F, BW, DQ and VL (what AMD's Zen 4 and 5 and Intel's
// server processors since Skylake-SP share) and the system saves the state they add: the
// opmask registers and all of the 32 ZMM registers. Always false off x86.
bool processorHasAvx512();

}  // namespace quorvel
