#pragma once

// The 128-bit x86 vector operations the renderer is written in. Elsewhere SIMDe supplies
// them under the same names with the same per-lane results, NaN rules of max and min and
// out-of-range conversions included (so no SIMDE_FAST_* option may be set).

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#else
#define SIMDE_ENABLE_NATIVE_ALIASES
#include <simde/x86/sse2.h>
#endif
