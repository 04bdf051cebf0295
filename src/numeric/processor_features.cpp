#include "numeric/processor_features.h"

#include "numeric/processor.h"

#if QUORVEL_X86
#include <cpuid.h>

#include <cstdint>
#endif

namespace quorvel {
namespace {

#if QUORVEL_X86

// XCR0's bits for the state a system saves on a switch: SSE and AVX registers, then the
// opmask registers, the upper halves of ZMM0-15 and ZMM16-31.
constexpr uint32_t kAvx512State = 1u << 1 | 1u << 2 | 1u << 5 | 1u << 6 | 1u << 7;

bool systemSavesAvx512State() {
    unsigned eax, ebx, ecx, edx;
    // XGETBV itself faults unless the system has enabled XSAVE (and says so in OSXSAVE).
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0 || (ecx & bit_OSXSAVE) == 0) return false;
    uint32_t low, high;
    __asm__("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (low & kAvx512State) == kAvx512State;
}

bool check() {
    unsigned eax, ebx, ecx, edx;
    if (!systemSavesAvx512State() || __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) == 0) return false;
    constexpr unsigned kNeeded = bit_AVX512F | bit_AVX512BW | bit_AVX512DQ | bit_AVX512VL;
    return (ebx & kNeeded) == kNeeded;
}

#endif

}  // namespace

bool processorHasAvx512() {
#if QUORVEL_X86
    static const bool has = check();
    return has;
#else
    return false;
#endif
}

}  // namespace quorvel
