#pragma once

// The approximate reciprocal and reciprocal square root as data: one processor maker's
// instructions reproduced bit for bit from tables measured on that maker's processors, so
// that frames drawn with a maker's model are the same on any processor.

#include <cstdint>
#include <cstring>
#include <string>

#include "numeric/processor.h"

namespace quorvel {

// Both instructions are step functions of the top mantissa bits (and, for the square root,
// the exponent's parity) with exponent arithmetic around them. A model without tables
// stands for this processor's own instructions.
struct ApproxModel {
    const char* name;             // as --approx takes it
    int reciprocalIndexBits;      // top mantissa bits that choose a reciprocal entry
    int reciprocalSqrtIndexBits;  // the same for each exponent parity of the square root
    const uint32_t* reciprocal;   // results for 1.m, 1 << reciprocalIndexBits of them
    // results for [1, 2), then for [2, 4): 2 << reciprocalSqrtIndexBits of them
    const uint32_t* reciprocalSqrt;
    // The eight-lane reciprocal square root computed from the processor's own estimate
    // instead of looked up: only in a copy made where that has been checked to give every
    // result of the tables (fastestEquivalent).
    bool reciprocalSqrtComputed = false;
};

inline bool isNative(const ApproxModel& model) { return model.reciprocal == nullptr; }

extern const ApproxModel kIntelApprox;
extern const ApproxModel kAmdApprox;
#if QUORVEL_X86
extern const ApproxModel kNativeApprox;
#endif

// The processor's own where it has the instructions, Intel's elsewhere.
const ApproxModel& defaultApprox();
// The model --approx NAME asks for. Null for a name that is none of native, intel and amd,
// and, with `error` saying why, for native on a processor without the instructions.
const ApproxModel* approxModelNamed(const std::string& name, std::string& error);

inline float floatFromBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline uint32_t bitsOfFloat(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

inline uint32_t modelReciprocalBits(const ApproxModel& model, uint32_t bits) {
    const uint32_t sign = bits & 0x80000000u, exponent = (bits >> 23) & 0xFF, mantissa = bits & 0x7FFFFF;
    if (exponent == 0xFF) return mantissa != 0 ? (bits | 0x400000u) : sign;  // NaN quieted; infinity -> 0
    if (exponent == 0) return sign | 0x7F800000u;                            // zero, denormal -> infinity
    const uint32_t entry = model.reciprocal[mantissa >> (23 - model.reciprocalIndexBits)];
    const int resultExponent = int((entry >> 23) & 0xFF) - (int(exponent) - 127);
    if (resultExponent <= 0) return sign;  // too small for a normal result: flushed
    return sign | uint32_t(resultExponent) << 23 | (entry & 0x7FFFFF);
}

inline uint32_t modelReciprocalSqrtBits(const ApproxModel& model, uint32_t bits) {
    const uint32_t exponent = (bits >> 23) & 0xFF, mantissa = bits & 0x7FFFFF;
    const bool negative = (bits & 0x80000000u) != 0;
    if (exponent == 0xFF && mantissa != 0) return bits | 0x400000u;  // NaN quieted
    if (exponent == 0) return (bits & 0x80000000u) | 0x7F800000u;    // +-0, denormal -> +-infinity
    if (negative) return 0xFFC00000u;                                // the default NaN
    if (exponent == 0xFF) return 0;                                  // +infinity -> +0
    // x = 2^(e - odd) * [1, 4): the table covers [1, 4), the exponent halves exactly.
    const int e = int(exponent) - 127;
    const int odd = e & 1;
    const uint32_t index =
        uint32_t(odd) << model.reciprocalSqrtIndexBits | mantissa >> (23 - model.reciprocalSqrtIndexBits);
    const uint32_t entry = model.reciprocalSqrt[index];
    const int resultExponent = int((entry >> 23) & 0xFF) - (e - odd) / 2;
    return uint32_t(resultExponent) << 23 | (entry & 0x7FFFFF);
}

inline float modelReciprocal(const ApproxModel& model, float value) {
    return floatFromBits(modelReciprocalBits(model, bitsOfFloat(value)));
}

inline float modelReciprocalSqrt(const ApproxModel& model, float value) {
    return floatFromBits(modelReciprocalSqrtBits(model, bitsOfFloat(value)));
}

}  // namespace quorvel
