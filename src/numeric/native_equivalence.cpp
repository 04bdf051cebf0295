#include "numeric/native_equivalence.h"

#include "numeric/approx_math.h"

namespace quorvel {
namespace {

#if QUORVEL_X86

// Four lanes from `first` on: the instructions against the model, whose result is the same
// for all four (they share the top mantissa bits its tables are indexed by).
bool fourMatch(const ApproxModel& model, uint32_t first) {
    const __m128i bits = _mm_add_epi32(_mm_set1_epi32(int(first)), _mm_setr_epi32(0, 1, 2, 3));
    const __m128i reciprocal = _mm_set1_epi32(int(modelReciprocalBits(model, first)));
    const __m128i reciprocalSqrt = _mm_set1_epi32(int(modelReciprocalSqrtBits(model, first)));
    const __m128i same = _mm_and_si128(
        _mm_cmpeq_epi32(_mm_castps_si128(_mm_rcp_ps(_mm_castsi128_ps(bits))), reciprocal),
        _mm_cmpeq_epi32(_mm_castps_si128(_mm_rsqrt_ps(_mm_castsi128_ps(bits))), reciprocalSqrt));
    return _mm_movemask_epi8(same) == 0xFFFF;
}

bool oneMatches(const ApproxModel& model, uint32_t bits) {
    const float x = floatFromBits(bits);
    return bitsOfFloat(approxReciprocal(kNativeApprox, x)) == modelReciprocalBits(model, bits) &&
           bitsOfFloat(approxReciprocalSqrt(kNativeApprox, x)) == modelReciprocalSqrtBits(model, bits);
}

bool checkNativeGivesModel(const ApproxModel& model) {
    for (uint32_t bits = 0x3F800000u; bits < 0x40800000u; bits += 4) {
        if (!fourMatch(model, bits)) return false;
    }
    // Mantissas at both ends of the range and of a table bucket, and NaN payloads.
    constexpr uint32_t kMantissas[] = {0,        1,        0x000FFF, 0x001000, 0x123456,
                                       0x400000, 0x400001, 0x7FF000, 0x7FFFFF};
    for (uint32_t signAndExponent = 0; signAndExponent < 0x200; ++signAndExponent) {
        for (const uint32_t mantissa : kMantissas) {
            if (!oneMatches(model, signAndExponent << 23 | mantissa)) return false;
        }
    }
    return true;
}

// The computed reciprocal square root against the table at the middle of every bucket of
// every normal exponent, eight buckets at a time.
__attribute__((target("avx2"))) bool checkComputedGivesModel(const ApproxModel& model) {
    const int belowIndex = 23 - model.reciprocalSqrtIndexBits;
    const uint32_t middle = uint32_t(1) << (belowIndex - 1);
    for (uint32_t first = 0x00800000u; first < 0x7F800000u; first += uint32_t(8) << belowIndex) {
        uint32_t inputs[8], expected[8];
        for (int lane = 0; lane < 8; ++lane) {
            inputs[lane] = first + (uint32_t(lane) << belowIndex) + middle;
            expected[lane] = modelReciprocalSqrtBits(model, inputs[lane]);
        }
        const __m256 computed =
            computedReciprocalSqrt8(model, _mm256_loadu_ps(reinterpret_cast<const float*>(inputs)));
        const __m256i same = _mm256_cmpeq_epi32(
            _mm256_castps_si256(computed), _mm256_loadu_si256(reinterpret_cast<const __m256i*>(expected)));
        if (_mm256_movemask_epi8(same) != -1) return false;
    }
    return true;
}

struct ComputedForm {
    ApproxModel model;
    bool givesModel;
};

ComputedForm computedForm(const ApproxModel& maker) {
    ApproxModel computed = maker;
    computed.reciprocalSqrtComputed = true;
    return {computed, computedGivesModel(computed)};
}

// A maker's model with its reciprocal square root computed, where that gives its results on
// this processor: both makers checked once, the first time either is asked about.
const ApproxModel* computedEquivalent(const ApproxModel& model) {
    static const ComputedForm intel = computedForm(kIntelApprox), amd = computedForm(kAmdApprox);
    const ComputedForm* form = &model == &kIntelApprox ? &intel : &model == &kAmdApprox ? &amd : nullptr;
    return form != nullptr && form->givesModel ? &form->model : nullptr;
}

#endif

}  // namespace

bool computedGivesModel([[maybe_unused]] const ApproxModel& model) {
#if QUORVEL_X86
    return !isNative(model) && processorHasAvx2() && checkComputedGivesModel(model);
#else
    return false;
#endif
}

bool nativeGivesModel(const ApproxModel& model) {
#if QUORVEL_X86
    if (isNative(model)) return true;
    // Each maker's model is checked once, the first time it is asked about.
    if (&model == &kIntelApprox) {
        static const bool intel = checkNativeGivesModel(kIntelApprox);
        return intel;
    }
    if (&model == &kAmdApprox) {
        static const bool amd = checkNativeGivesModel(kAmdApprox);
        return amd;
    }
    return checkNativeGivesModel(model);
#else
    return isNative(model);
#endif
}

const ApproxModel& fastestEquivalent(const ApproxModel& model) {
#if QUORVEL_X86
    if (nativeGivesModel(model)) return kNativeApprox;
    if (const ApproxModel* computed = computedEquivalent(model)) return *computed;
#endif
    return model;
}

}  // namespace quorvel
