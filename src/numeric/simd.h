#pragma once

// The 128-bit x86 vector operations the renderer is written in. Elsewhere SIMDe supplies
// them under the same names with the same per-lane results, NaN rules of max and min and
// out-of-range conversions included (so no SIMDE_FAST_* option may be set).

#include "numeric/processor.h"

#if QUORVEL_X86
#include <immintrin.h>
#else
#define SIMDE_ENABLE_NATIVE_ALIASES
#include <simde/x86/sse2.h>
#endif

namespace quorvel {

inline bool processorHasAvx() {
#if QUORVEL_X86
    return __builtin_cpu_supports("avx");
#else
    return false;
#endif
}

inline bool processorHasAvx2() {
#if QUORVEL_X86
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

}  // namespace quorvel
