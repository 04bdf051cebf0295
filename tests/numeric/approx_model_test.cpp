// The makers' models against what they model: exactly, over every float, on a processor of a
// modelled maker; and the special cases every model shares, on any processor.

#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <iterator>
#include <thread>
#include <vector>

#include "numeric/approx_fingerprint.h"
#include "numeric/approx_math.h"
#include "numeric/approx_math_avx512.h"
#include "numeric/native_equivalence.h"
#include "numeric/processor_features.h"

namespace quorvel {
namespace {

TEST(ApproxModel, SpecialCasesFollowTheInstructions) {
    for (const ApproxModel* model : {&kIntelApprox, &kAmdApprox}) {
        SCOPED_TRACE(model->name);
        EXPECT_EQ(modelReciprocalBits(*model, 0x00000000u), 0x7F800000u);      // +0 -> +infinity
        EXPECT_EQ(modelReciprocalBits(*model, 0x80000001u), 0xFF800000u);      // -denormal -> -infinity
        EXPECT_EQ(modelReciprocalBits(*model, 0xFF800000u), 0x80000000u);      // -infinity -> -0
        EXPECT_EQ(modelReciprocalBits(*model, 0x7F800001u), 0x7FC00001u);      // NaN quieted
        EXPECT_EQ(modelReciprocalBits(*model, 0x7F000000u), 0x00000000u);      // 2^127: flushed
        EXPECT_EQ(modelReciprocalSqrtBits(*model, 0x80000000u), 0xFF800000u);  // -0 -> -infinity
        EXPECT_EQ(modelReciprocalSqrtBits(*model, 0xBF800000u), 0xFFC00000u);  // -1 -> default NaN
        EXPECT_EQ(modelReciprocalSqrtBits(*model, 0x7F800000u), 0x00000000u);  // +infinity -> +0
        EXPECT_EQ(modelReciprocalSqrtBits(*model, 0xFFC00123u), 0xFFC00123u);  // NaN kept
        // About 12 bits everywhere in the normal range, both exponent parities.
        for (const float x : {1.0f, 2.0f, 3.0f, 0.7f, 1e-30f, 5e30f}) {
            EXPECT_NEAR(modelReciprocal(*model, x) * x, 1.0f, 1.0f / 2048);
            EXPECT_NEAR(modelReciprocalSqrt(*model, x) * std::sqrt(x), 1.0f, 1.0f / 2048);
        }
    }
}

#if QUORVEL_X86

// The maker whose instructions this processor has, if it is a modelled one.
const ApproxModel* modelOfThisProcessor() {
    const uint64_t native = approxFingerprint(kNativeApprox);
    for (const ApproxModel* model : {&kIntelApprox, &kAmdApprox}) {
        if (approxFingerprint(*model) == native) return model;
    }
    return nullptr;
}

struct Wrong {
    uint64_t count = 0;
    uint32_t first = 0;  // the first input found wrong
};

void note(Wrong& wrong, uint32_t input) {
    if (wrong.count++ == 0) wrong.first = input;
}

// Whether all eight lanes hold `bits`.
__attribute__((target("avx2"))) bool allEqual(__m256 lanes, uint32_t bits) {
    const __m256i equal = _mm256_cmpeq_epi32(_mm256_castps_si256(lanes), _mm256_set1_epi32(int(bits)));
    return _mm256_movemask_epi8(equal) == -1;
}

__attribute__((target("avx2"))) __m256 eightFrom(uint32_t first) {
    return _mm256_castsi256_ps(
        _mm256_add_epi32(_mm256_set1_epi32(int(first)), _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7)));
}

#define QUORVEL_AVX512 __attribute__((target("avx512f,avx512bw,avx512dq,avx512vl")))

// The sixteen-lane forms, where the processor has AVX-512.
QUORVEL_AVX512 bool allEqual(__m512 lanes, uint32_t bits) {
    return _mm512_cmpeq_epi32_mask(_mm512_castps_si512(lanes), _mm512_set1_epi32(int(bits))) == 0xFFFF;
}

QUORVEL_AVX512 __m512 sixteenFrom(uint32_t first) {
    const __m512i lanes = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    return _mm512_castsi512_ps(_mm512_add_epi32(_mm512_set1_epi32(int(first)), lanes));
}

// Sixteen inputs from `first`, or one input in every lane: the processor's own estimate and
// the model's table form on sixteen lanes against the model's `reciprocalSqrt` result, and
// the any-input form too when `anyInput`.
[[gnu::noinline]] QUORVEL_AVX512 bool sixteenMatch(const ApproxModel& model, __m512 x,
                                                   uint32_t reciprocalSqrt, bool anyInput) {
    return allEqual(nativeReciprocalSqrt16(x), reciprocalSqrt) &&
           allEqual(modelReciprocalSqrt16(model, x), reciprocalSqrt) &&
           (!anyInput || allEqual(modelReciprocalSqrt16AnyInput(model, x), reciprocalSqrt));
}

[[gnu::noinline]] QUORVEL_AVX512 bool sixteenFromMatch(const ApproxModel& model, uint32_t first,
                                                       uint32_t reciprocalSqrt) {
    return sixteenMatch(model, sixteenFrom(first), reciprocalSqrt, false);
}

[[gnu::noinline]] QUORVEL_AVX512 bool oneInSixteenMatches(const ApproxModel& model, uint32_t input) {
    return sixteenMatch(model, _mm512_castsi512_ps(_mm512_set1_epi32(int(input))),
                        modelReciprocalSqrtBits(model, input), true);
}

// Eight inputs from `first`: every form of the instruction against the model's `reciprocal`
// and `reciprocalSqrt` results, and the eight-lane model against the latter.
__attribute__((target("avx2"))) bool blockMatches(const ApproxModel& model, uint32_t first,
                                                  uint32_t reciprocal, uint32_t reciprocalSqrt) {
    const __m256 x = eightFrom(first);
    const __m128 low = _mm256_castps256_ps128(x), high = _mm256_extractf128_ps(x, 1);
    bool matches = allEqual(_mm256_rcp_ps(x), reciprocal) && allEqual(_mm256_rsqrt_ps(x), reciprocalSqrt) &&
                   allEqual(_mm256_set_m128(_mm_rcp_ps(high), _mm_rcp_ps(low)), reciprocal) &&
                   allEqual(_mm256_set_m128(_mm_rsqrt_ps(high), _mm_rsqrt_ps(low)), reciprocalSqrt) &&
                   allEqual(modelReciprocalSqrt8(model, x), reciprocalSqrt);
    for (uint32_t lane = 0; lane < 8 && matches; lane += 7) {  // the scalar instructions at both ends
        const float one = floatFromBits(first + lane);
        matches = bitsOfFloat(approxReciprocal(kNativeApprox, one)) == reciprocal &&
                  bitsOfFloat(approxReciprocalSqrt(kNativeApprox, one)) == reciprocalSqrt;
    }
    return matches;
}

// One input in every lane of every form, against the scalar model.
__attribute__((target("avx2"))) bool inputMatches(const ApproxModel& model, uint32_t input) {
    const uint32_t reciprocal = modelReciprocalBits(model, input);
    const uint32_t reciprocalSqrt = modelReciprocalSqrtBits(model, input);
    const __m256 x = _mm256_castsi256_ps(_mm256_set1_epi32(int(input)));
    const __m128 x4 = _mm256_castps256_ps128(x);
    return allEqual(_mm256_rcp_ps(x), reciprocal) && allEqual(_mm256_rsqrt_ps(x), reciprocalSqrt) &&
           allEqual(_mm256_set_m128(_mm_rcp_ps(x4), _mm_rcp_ps(x4)), reciprocal) &&
           allEqual(_mm256_set_m128(_mm_rsqrt_ps(x4), _mm_rsqrt_ps(x4)), reciprocalSqrt) &&
           allEqual(modelReciprocalSqrt8(model, x), reciprocalSqrt) &&
           allEqual(_mm256_set_m128(approxReciprocal4(model, x4), approxReciprocal4(model, x4)),
                    reciprocal) &&
           allEqual(_mm256_set_m128(approxReciprocalSqrt4(model, x4), approxReciprocalSqrt4(model, x4)),
                    reciprocalSqrt) &&
           bitsOfFloat(approxReciprocal(kNativeApprox, floatFromBits(input))) == reciprocal &&
           bitsOfFloat(approxReciprocalSqrt(kNativeApprox, floatFromBits(input))) == reciprocalSqrt &&
           (!processorHasAvx512() || oneInSixteenMatches(model, input));
}

// Inputs [begin, end). A model's result is the same for every input that shares sign,
// exponent and the top mantissa bits its tables are indexed by, NaNs aside (they keep their
// payload): so each such bucket takes the scalar and four-lane models once, and every input
// in it is checked against that with the eight- and four-lane instructions and the
// eight-lane model, the scalar instructions at both ends of each block of eight, and with
// AVX-512 the sixteen-lane forms. NaNs are checked one by one, scalar model included.
__attribute__((target("avx2"))) Wrong checkRange(const ApproxModel& model, uint64_t begin, uint64_t end) {
    const int indexBits = std::max(model.reciprocalIndexBits, model.reciprocalSqrtIndexBits);
    const uint64_t bucket = uint64_t(1) << (23 - indexBits);
    const bool sixteenLanes = processorHasAvx512();
    Wrong wrong;
    for (uint64_t first = begin; first < end; first += bucket) {
        const auto input = uint32_t(first);
        if (((input >> 23) & 0xFF) == 0xFF) {
            for (uint64_t i = first; i < first + bucket; ++i) {
                if (!inputMatches(model, uint32_t(i))) note(wrong, uint32_t(i));
            }
            continue;
        }
        const uint32_t reciprocal = modelReciprocalBits(model, input);
        const uint32_t reciprocalSqrt = modelReciprocalSqrtBits(model, input);
        alignas(16) float four[4];
        _mm_store_ps(four, approxReciprocal4(model, _mm256_castps256_ps128(eightFrom(input))));
        for (float lane : four) {
            if (bitsOfFloat(lane) != reciprocal) note(wrong, input);
        }
        _mm_store_ps(four, approxReciprocalSqrt4(model, _mm256_castps256_ps128(eightFrom(input))));
        for (float lane : four) {
            if (bitsOfFloat(lane) != reciprocalSqrt) note(wrong, input);
        }
        for (uint64_t i = first; i < first + bucket; i += 8) {
            if (!blockMatches(model, uint32_t(i), reciprocal, reciprocalSqrt)) note(wrong, uint32_t(i));
        }
        for (uint64_t i = first; sixteenLanes && i < first + bucket; i += 16) {
            if (!sixteenFromMatch(model, uint32_t(i), reciprocalSqrt)) note(wrong, uint32_t(i));
        }
    }
    return wrong;
}

// Eight lanes of `inputs` through `eightLanes` against the scalar model, lane by lane.
template <__m256 (*eightLanes)(const ApproxModel&, __m256)>
__attribute__((target("avx2"))) void expectEightLanesAsScalar(const ApproxModel& model,
                                                              const uint32_t* inputs) {
    alignas(32) uint32_t out[8];
    _mm256_store_si256(
        reinterpret_cast<__m256i*>(out),
        _mm256_castps_si256(eightLanes(
            model, _mm256_castsi256_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(inputs))))));
    for (int lane = 0; lane < 8; ++lane) {
        ASSERT_EQ(out[lane], modelReciprocalSqrtBits(model, inputs[lane]))
            << model.name << " model, input " << std::hex << inputs[lane] << " in lane " << lane;
    }
}

// The eight-lane reciprocal square root the fast span routine draws a maker's frames with,
// against the scalar model the reference uses, on any processor with AVX2: one input from
// every bucket of sign, exponent and table index, eight at a time, in both the usual-input
// form and the any-input form; and every special class (zeros, denormals, negatives,
// infinities, NaNs) alone and among usual inputs, where it sends the rest down the long way.
TEST(ApproxModel, EightLanesMatchTheScalarModel) {
    if (!processorHasAvx2()) GTEST_SKIP() << "the eight-lane model needs AVX2";
    const uint32_t specials[] = {0x00000000u, 0x80000000u, 0x00000001u, 0x007FFFFFu, 0x80400000u, 0xBF800000u,
                                 0x80800000u, 0xFF7FFFFFu, 0x7F800000u, 0xFF800000u, 0x7F800001u, 0x7FC00000u,
                                 0xFFC00123u, 0x7FFFFFFFu, 0x00800000u, 0x7F7FFFFFu};
    for (const ApproxModel* model : {&kIntelApprox, &kAmdApprox}) {
        for (const uint32_t special : specials) {
            uint32_t alone[8], among[8];
            std::fill(std::begin(alone), std::end(alone), special);
            for (int lane = 0; lane < 8; ++lane) among[lane] = 0x3F800000u + uint32_t(lane) * 0x12345u;
            among[special % 8] = special;
            ASSERT_NO_FATAL_FAILURE(expectEightLanesAsScalar<modelReciprocalSqrt8>(*model, alone));
            ASSERT_NO_FATAL_FAILURE(expectEightLanesAsScalar<modelReciprocalSqrt8>(*model, among));
        }
        const int indexBits = model->reciprocalSqrtIndexBits;
        uint32_t sample = 12345, inputs[8];
        for (uint32_t bucket = 0; bucket < (uint32_t(1) << (9 + indexBits)); bucket += 8) {
            for (uint32_t lane = 0; lane < 8; ++lane) {
                sample = sample * 1664525u + 1013904223u;
                inputs[lane] = (bucket + lane) << (23 - indexBits) | (sample >> (9 + indexBits));
            }
            ASSERT_NO_FATAL_FAILURE(expectEightLanesAsScalar<modelReciprocalSqrt8>(*model, inputs));
            ASSERT_NO_FATAL_FAILURE(expectEightLanesAsScalar<modelReciprocalSqrt8AnyInput>(*model, inputs));
        }
    }
}

// The sixteen-lane table form and any-input form of `inputs`, lane by lane.
QUORVEL_AVX512 void sixteenLanes(const ApproxModel& model, const uint32_t* inputs, uint32_t* table,
                                 uint32_t* anyInput) {
    const __m512 x = _mm512_castsi512_ps(_mm512_loadu_si512(inputs));
    _mm512_storeu_si512(table, _mm512_castps_si512(modelReciprocalSqrt16(model, x)));
    _mm512_storeu_si512(anyInput, _mm512_castps_si512(modelReciprocalSqrt16AnyInput(model, x)));
}

void expectSixteenLanesAsScalar(const ApproxModel& model, const uint32_t (&inputs)[16]) {
    uint32_t table[16], anyInput[16];
    sixteenLanes(model, inputs, table, anyInput);
    for (int lane = 0; lane < 16; ++lane) {
        const uint32_t expected = modelReciprocalSqrtBits(model, inputs[lane]);
        ASSERT_EQ(table[lane], expected)
            << model.name << " model, input " << std::hex << inputs[lane] << " in lane " << lane;
        ASSERT_EQ(anyInput[lane], expected)
            << model.name << " model, any input " << std::hex << inputs[lane] << " in lane " << lane;
    }
}

// The sixteen-lane reciprocal square root of the AVX-512 span routine, as the eight-lane one
// above: one input from every bucket, and every special class alone and among usual inputs.
TEST(ApproxModel, SixteenLanesMatchTheScalarModel) {
    if (!processorHasAvx512()) GTEST_SKIP() << "the sixteen-lane model needs AVX-512";
    const uint32_t specials[] = {0x00000000u, 0x80000000u, 0x00000001u, 0x007FFFFFu, 0x80400000u, 0xBF800000u,
                                 0x80800000u, 0xFF7FFFFFu, 0x7F800000u, 0xFF800000u, 0x7F800001u, 0x7FC00000u,
                                 0xFFC00123u, 0x7FFFFFFFu, 0x00800000u, 0x7F7FFFFFu};
    for (const ApproxModel* model : {&kIntelApprox, &kAmdApprox}) {
        for (const uint32_t special : specials) {
            uint32_t alone[16], among[16];
            std::fill(std::begin(alone), std::end(alone), special);
            for (int lane = 0; lane < 16; ++lane) among[lane] = 0x3F800000u + uint32_t(lane) * 0x12345u;
            among[special % 16] = special;
            ASSERT_NO_FATAL_FAILURE(expectSixteenLanesAsScalar(*model, alone));
            ASSERT_NO_FATAL_FAILURE(expectSixteenLanesAsScalar(*model, among));
        }
        const int indexBits = model->reciprocalSqrtIndexBits;
        uint32_t sample = 54321, inputs[16];
        for (uint32_t bucket = 0; bucket < (uint32_t(1) << (9 + indexBits)); bucket += 16) {
            for (uint32_t lane = 0; lane < 16; ++lane) {
                sample = sample * 1664525u + 1013904223u;
                inputs[lane] = (bucket + lane) << (23 - indexBits) | (sample >> (9 + indexBits));
            }
            ASSERT_NO_FATAL_FAILURE(expectSixteenLanesAsScalar(*model, inputs));
        }
    }
}

// The full-speed shortcut is taken exactly where the fingerprints say the frames are the
// same, and one table entry off is enough to refuse it.
TEST(ApproxModel, NativeStandsInOnlyForThisProcessorsMaker) {
    const uint64_t native = approxFingerprint(kNativeApprox);
    const ApproxModel* own = nullptr;
    for (const ApproxModel* model : {&kIntelApprox, &kAmdApprox}) {
        const bool same = approxFingerprint(*model) == native;
        if (same) own = model;
        EXPECT_EQ(nativeGivesModel(*model), same) << model->name;
        const ApproxModel& fastest = fastestEquivalent(*model);
        if (same) {
            EXPECT_EQ(&fastest, &kNativeApprox) << model->name;
        } else {
            EXPECT_EQ(fastest.reciprocalSqrt, model->reciprocalSqrt) << model->name;
            EXPECT_EQ(fastest.reciprocalSqrtComputed, computedGivesModel(*model)) << model->name;
        }
    }
    EXPECT_EQ(&fastestEquivalent(kNativeApprox), &kNativeApprox);
    if (own == nullptr) GTEST_SKIP() << "this processor's approximate reciprocals are no measured maker's";
    const size_t entries = size_t(2) << own->reciprocalSqrtIndexBits;
    for (const size_t changed : {size_t(0), entries / 2 + 7, entries - 1}) {
        std::vector<uint32_t> table(own->reciprocalSqrt, own->reciprocalSqrt + entries);
        table[changed] += 0x800;  // one step of 13 significant bits
        ApproxModel doctored = *own;
        doctored.reciprocalSqrt = table.data();
        EXPECT_FALSE(nativeGivesModel(doctored)) << "entry " << changed;
    }
}

// Intel's reciprocal square root computed from the estimate of a measured maker's processor:
// taken for Intel's table, refused for AMD's and for an Intel table one entry off.
TEST(ApproxModel, IntelsReciprocalSqrtIsComputedWhereThatGivesItsTable) {
    if (!processorHasAvx2()) GTEST_SKIP() << "the computed form needs AVX2";
    if (modelOfThisProcessor() == nullptr)
        GTEST_SKIP() << "this processor's estimates are no measured maker's";
    EXPECT_TRUE(computedGivesModel(kIntelApprox));
    EXPECT_FALSE(computedGivesModel(kAmdApprox));
    EXPECT_FALSE(computedGivesModel(kNativeApprox));
    const size_t entries = size_t(2) << kIntelApprox.reciprocalSqrtIndexBits;
    for (const size_t changed : {size_t(0), entries / 2 + 7, entries - 1}) {
        std::vector<uint32_t> table(kIntelApprox.reciprocalSqrt, kIntelApprox.reciprocalSqrt + entries);
        table[changed] += 0x800;
        ApproxModel doctored = kIntelApprox;
        doctored.reciprocalSqrt = table.data();
        EXPECT_FALSE(computedGivesModel(doctored)) << "entry " << changed;
    }
}

// The computed form against the table form for every positive normal input, where the check
// at start-up takes only each bucket's middle.
__attribute__((target("avx2"))) uint64_t countComputedWrong(const ApproxModel& model, uint32_t begin,
                                                            uint32_t end) {
    uint64_t wrong = 0;
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    for (uint32_t first = begin; first < end; first += 8) {
        const __m256 x = _mm256_castsi256_ps(_mm256_add_epi32(_mm256_set1_epi32(int(first)), lanes));
        const __m256i same = _mm256_cmpeq_epi32(_mm256_castps_si256(computedReciprocalSqrt8(model, x)),
                                                _mm256_castps_si256(modelReciprocalSqrt8(model, x)));
        wrong += uint64_t(__builtin_popcount(~uint32_t(_mm256_movemask_epi8(same))) / 4);
    }
    return wrong;
}

// The same on sixteen lanes.
QUORVEL_AVX512 int computedWrongOf16(const ApproxModel& model, uint32_t first) {
    const __m512 x = sixteenFrom(first);
    return __builtin_popcount(
        _mm512_cmpneq_epi32_mask(_mm512_castps_si512(computedReciprocalSqrt16(model, x)),
                                 _mm512_castps_si512(modelReciprocalSqrt16(model, x))));
}

uint64_t countComputedWrong16(const ApproxModel& model, uint32_t begin, uint32_t end) {
    uint64_t wrong = 0;
    for (uint32_t first = begin; first < end; first += 16) wrong += uint64_t(computedWrongOf16(model, first));
    return wrong;
}

// A few seconds on two processors, each: not repeated in the sanitizer builds.
TEST(ApproxModelExhaustive, ComputedReciprocalSqrtGivesTheTableForEveryNormalInput) {
    if (!processorHasAvx2()) GTEST_SKIP() << "the computed form needs AVX2";
    if (!computedGivesModel(kIntelApprox))
        GTEST_SKIP() << "the computed form does not hold on this processor";
    constexpr uint32_t kFirst = 0x00800000u, kEnd = 0x7F800000u, kMiddle = kFirst + (kEnd - kFirst) / 2;
    for (const bool sixteen : {false, true}) {
        if (sixteen && !processorHasAvx512()) continue;
        SCOPED_TRACE(sixteen ? "sixteen lanes" : "eight lanes");
        const auto count = sixteen ? countComputedWrong16 : countComputedWrong;
        uint64_t wrong[2] = {};
        std::thread second([&] { wrong[1] = count(kIntelApprox, kMiddle, kEnd); });
        wrong[0] = count(kIntelApprox, kFirst, kMiddle);
        second.join();
        EXPECT_EQ(wrong[0] + wrong[1], 0u);
    }
}

// A few seconds on two processors: not repeated in the sanitizer builds.
TEST(ApproxModelExhaustive, EqualsThisProcessorForEveryInput) {
    if (!processorHasAvx2()) GTEST_SKIP() << "the eight-lane forms need AVX2";
    const ApproxModel* model = modelOfThisProcessor();
    if (model == nullptr) GTEST_SKIP() << "this processor's approximate reciprocals are no measured maker's";
    constexpr uint64_t kAll = uint64_t(1) << 32;
    Wrong halves[2];
    std::thread second([&] { halves[1] = checkRange(*model, kAll / 2, kAll); });
    halves[0] = checkRange(*model, 0, kAll / 2);
    second.join();
    for (const Wrong& wrong : halves) {
        EXPECT_EQ(wrong.count, 0u) << model->name << " model: " << wrong.count << " wrong; first input "
                                   << std::hex << wrong.first;
    }
}

#endif

#if QUORVEL_ARM64
// Four lanes of `inputs` through the NEON model against the scalar model, lane by lane.
void expectFourNeonLanesAsScalar(const ApproxModel& model, const uint32_t* inputs) {
    alignas(16) uint32_t out[4];
    vst1q_u32(out, vreinterpretq_u32_f32(
                       modelReciprocalSqrt4Neon(model, vreinterpretq_f32_u32(vld1q_u32(inputs)))));
    for (int lane = 0; lane < 4; ++lane) {
        ASSERT_EQ(out[lane], modelReciprocalSqrtBits(model, inputs[lane]))
            << model.name << " model, input " << std::hex << inputs[lane] << " in lane " << lane;
    }
}

// The four-lane reciprocal square root the NEON span routine draws with, against the scalar
// model the reference uses: one input from every bucket of sign, exponent and table index,
// and every special class alone and among usual inputs, as for the eight-lane form.
TEST(ApproxModel, FourNeonLanesMatchTheScalarModel) {
    const uint32_t specials[] = {0x00000000u, 0x80000000u, 0x00000001u, 0x007FFFFFu, 0x80400000u, 0xBF800000u,
                                 0x80800000u, 0xFF7FFFFFu, 0x7F800000u, 0xFF800000u, 0x7F800001u, 0x7FC00000u,
                                 0xFFC00123u, 0x7FFFFFFFu, 0x00800000u, 0x7F7FFFFFu};
    for (const ApproxModel* model : {&kIntelApprox, &kAmdApprox}) {
        for (const uint32_t special : specials) {
            uint32_t alone[4], among[4];
            std::fill(std::begin(alone), std::end(alone), special);
            for (int lane = 0; lane < 4; ++lane) among[lane] = 0x3F800000u + uint32_t(lane) * 0x12345u;
            among[special % 4] = special;
            ASSERT_NO_FATAL_FAILURE(expectFourNeonLanesAsScalar(*model, alone));
            ASSERT_NO_FATAL_FAILURE(expectFourNeonLanesAsScalar(*model, among));
        }
        const int indexBits = model->reciprocalSqrtIndexBits;
        uint32_t sample = 12345, inputs[4];
        for (uint32_t bucket = 0; bucket < (uint32_t(1) << (9 + indexBits)); bucket += 4) {
            for (uint32_t lane = 0; lane < 4; ++lane) {
                sample = sample * 1664525u + 1013904223u;
                inputs[lane] = (bucket + lane) << (23 - indexBits) | (sample >> (9 + indexBits));
            }
            ASSERT_NO_FATAL_FAILURE(expectFourNeonLanesAsScalar(*model, inputs));
        }
    }
}
#endif

}  // namespace
}  // namespace quorvel
