#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "fast_routines.h"
#include "numeric/native_equivalence.h"
#include "raster/draw_span_reference.h"
#include "raster/span_routines.h"
#include "raster_canvas.h"

// Every span routine of the build but the reference, against the reference. The fast
// routines' short cuts rely on invariants (for the AVX2 routine, numbered at the top of
// src/raster/draw_span_avx2.cpp); these tests are their checker, each drawing what breaks some
// of them or holds them at their edges with both routines and comparing every pixel.

namespace quorvel {
namespace {

constexpr int kWidth = 2048, kRows = 4;

// Mostly ordinary values, sometimes the awkward ones a broken interpolation could produce.
float awkward(std::mt19937& random, float low, float high) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    const float specials[] = {nan, inf, -inf, 0.0f, -0.0f, 1e-30f, -1e30f, 3e9f, 124.0f, 124.5f};
    if (random() % 50 == 0) return specials[random() % std::size(specials)];
    return std::uniform_real_distribution<float>(low, high)(random);
}

// Ends that break invariants 1 (a fourth normal lane), 4 (coordinates NaN, infinite or far
// off), 5 and 6 (zero, subnormal-length, infinite and NaN normals) now and then, and hold 1 at
// its edge (a fourth lane of -0).
SpanEnd randomEnd(std::mt19937& random, int x) {
    Vec4 normal = {{awkward(random, -1, 1), awkward(random, -1, 1), awkward(random, -1, 1), 0.0f}};
    if (random() % 20 == 0) normal = {{0.0f, 0.0f, 0.0f, 0.0f}};
    // So short that its squared length is subnormal.
    if (random() % 20 == 0) {
        for (float& lane : normal.lane) lane *= 1e-20f;
    }
    const auto fourthLane = random() % 40;
    if (fourthLane == 0) normal.lane[3] = awkward(random, -1, 1);
    if (fourthLane == 1) normal.lane[3] = -0.0f;
    return {
        x, {{awkward(random, -4, 131), awkward(random, -4, 131), awkward(random, 900, 1100), 0.0f}}, normal};
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

void expectSameSpansWith(SpanRoutine routine, const ApproxModel& model, std::mt19937& random,
                         const Light (&lights)[kLightCount], int count) {
    RasterCanvas reference(kWidth, kRows), fast(kWidth, kRows);
    std::copy(std::begin(lights), std::end(lights), reference.lights);
    std::copy(std::begin(lights), std::end(lights), fast.lights);
    reference.approx = fast.approx = &model;
    for (int i = 0; i < count; ++i) {
        // Lengths 1 to 2000 from odd and even columns, some reaching past either side.
        const int length = 1 + int(random() % 2000);
        const int start = int(random() % (kWidth + 200)) - 100;
        const SpanEnd a = randomEnd(random, start), b = randomEnd(random, start + length);
        const int row = int(random() % kRows);
        const PixelRect band = {0, kRows, int(random() % 64), kWidth - int(random() % 64)};
        // Earlier spans leave depths behind, so later ones pass in places and fail in others.
        drawSpanReference(row, a, b, reference.target(band, drawSpanReference));
        routine(row, a, b, fast.target(band, routine));
        ASSERT_EQ(fast.color, reference.color) << "span " << i << " from " << start << " length " << length;
        ASSERT_TRUE(sameBits(fast.depth, reference.depth)) << "span " << i;
        if (i % 500 == 499) {
            std::fill(reference.depth.begin(), reference.depth.end(), kClearDepth);
            std::fill(fast.depth.begin(), fast.depth.end(), kClearDepth);
        }
    }
}

// Draws `count` random spans with both routines, with the processor's own approximations,
// with each maker's model and with a maker's model computed where it can be here (which
// invariant 6 is about), and stops at the first that differs.
void expectSameSpans(SpanRoutine routine, std::mt19937& random, const Light (&lights)[kLightCount],
                     int count) {
    std::vector<const ApproxModel*> models = {&kIntelApprox, &kAmdApprox};
#if QUORVEL_X86
    models.push_back(&kNativeApprox);
#endif
    for (const ApproxModel* maker : {&kIntelApprox, &kAmdApprox}) {
        if (fastestEquivalent(*maker).reciprocalSqrtComputed) models.push_back(&fastestEquivalent(*maker));
    }
    for (const ApproxModel* model : models) {
        SCOPED_TRACE(std::string(model->name) + (model->reciprocalSqrtComputed ? ", computed" : ""));
        expectSameSpansWith(routine, *model, random, lights, count);
    }
}

class SpanEquivalence : public FastRoutineTest {};

INSTANTIATE_TEST_SUITE_P(EveryFastRoutine, SpanEquivalence, testing::ValuesIn(fastRoutines()), routineName);
// A build whose processor has only the reference routine has nothing to compare.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SpanEquivalence);

// Invariants 1, 4, 5 and 6 (randomEnd), with the built-in lights, one of them along the view.
TEST_P(SpanEquivalence, MatchesTheReferenceBitForBit) {
    std::mt19937 random(8122026);
    expectSameSpans(routine(), random, RasterCanvas(1, 1).lights, 6000);
}

// Invariant 8: scenes of up to eight faces, one span each in a few rows, most at a handful of
// depths so that faces meet at equal depths (a span of one depth throughout steps exactly),
// some at the clear depth. The reference draws them in order; the fast routine in a shuffled
// order, keeping the face buffer, which starts each scene holding anything at all.
TEST_P(SpanEquivalence, TakesFacesInAnyOrder) {
    if (!GetParam().takesFacesInAnyOrder)
        GTEST_SKIP() << GetParam().name << " takes faces in the scene's order";
    std::mt19937 random(10122026);
    const float depths[] = {950.0f, 1000.0f, 1000.5f, kClearDepth};
    const auto depth = [&] { return depths[random() % std::size(depths)]; };
    RasterCanvas reference(kWidth, kRows), fast(kWidth, kRows);
    for (int scene = 0; scene < 400; ++scene) {
        std::fill(reference.depth.begin(), reference.depth.end(), kClearDepth);
        std::fill(fast.depth.begin(), fast.depth.end(), kClearDepth);
        for (uint8_t& face : fast.faces) face = uint8_t(random());
        struct Face {
            int row;
            SpanEnd a, b;
        };
        std::vector<Face> faces(1 + random() % 8);
        for (Face& face : faces) {
            const int start = int(random() % 120), length = 1 + int(random() % 100);
            face = {int(random() % kRows), randomEnd(random, start), randomEnd(random, start + length)};
            face.a.attributes.lane[2] = depth();
            face.b.attributes.lane[2] = random() % 2 == 0 ? face.a.attributes.lane[2] : depth();
        }
        std::vector<int> order(faces.size());
        for (size_t i = 0; i < faces.size(); ++i) {
            order[i] = int(i);
            drawSpanReference(faces[i].row, faces[i].a, faces[i].b, reference.whole(drawSpanReference));
        }
        std::shuffle(order.begin(), order.end(), random);
        for (const int i : order)
            routine()(faces[i].row, faces[i].a, faces[i].b, fast.faceTarget(routine(), uint8_t(i)));
        ASSERT_EQ(fast.color, reference.color) << "scene " << scene;
        ASSERT_TRUE(sameBits(fast.depth, reference.depth)) << "scene " << scene;
    }
}

// Invariant 11: long spans over depths a unit in the last place nearer than the ones they
// step to, but for one pixel near the end farther by a unit: the routine must find that pixel
// however far the stepped depths have drifted from first + k x step by then, and draw it alone.
TEST_P(SpanEquivalence, FindsAPixelNearerByOneUnitAtTheEndOfAHiddenSpan) {
    std::mt19937 random(11122026);
    for (int i = 0; i < 40; ++i) {
        const float near = std::uniform_real_distribution<float>(0.001f, 6000.0f)(random);
        const float far = std::uniform_real_distribution<float>(0.001f, 6000.0f)(random);
        const int length = 1000 + int(random() % 1000), nearerAt = length - 1 - int(random() % 16);
        SCOPED_TRACE(testing::Message() << near << " to " << far << " over " << length);
        RasterCanvas reference(kWidth, 1), fast(kWidth, 1);
        const float step = (far - near) / static_cast<float>(length);
        float depth = near;
        for (int x = 0; x < length; ++x) {
            const float stored = std::nextafter(depth, x == nearerAt ? INFINITY : -INFINITY);
            reference.depth[size_t(x)] = fast.depth[size_t(x)] = stored;
            depth += step;
        }
        const std::vector<float> before = fast.depth;
        const SpanEnd a = spanEndAt(0, 10.0f, 20.0f, near), b = spanEndAt(length, 90.0f, 70.0f, far);
        drawSpanReference(0, a, b, reference.whole(drawSpanReference));
        routine()(0, a, b, fast.whole(routine()));
        ASSERT_EQ(fast.color, reference.color);
        ASSERT_TRUE(sameBits(fast.depth, reference.depth));
        for (int x = 0; x < kWidth; ++x)
            ASSERT_EQ(fast.depth[size_t(x)] != before[size_t(x)], x == nearerAt) << "pixel " << x;
    }
}

// Invariants 2 and 3: lights the fast routine cannot take its short cuts with (a negative, an
// infinite or a NaN colour channel, an infinite fourth lane in a direction), and lights at
// the edge of those it can (a colour channel or a fourth lane of -0).
TEST_P(SpanEquivalence, MatchesTheReferenceUnderUnusualLights) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    struct LightChange {
        int light;
        Vec4 Light::*field;
        int lane;
        float value;
    };
    const LightChange changes[] = {
        {0, &Light::diffuse, 1, -30.0f}, {1, &Light::specular, 2, inf},  {2, &Light::diffuse, 0, nan},
        {0, &Light::direction, 3, inf},  {1, &Light::diffuse, 2, -0.0f}, {2, &Light::direction, 3, -0.0f},
    };
    std::mt19937 random(9122026);
    for (const LightChange& change : changes) {
        RasterCanvas builtIn(1, 1);
        (builtIn.lights[change.light].*change.field).lane[change.lane] = change.value;
        SCOPED_TRACE(testing::Message() << "light " << change.light << " lane " << change.lane);
        expectSameSpans(routine(), random, builtIn.lights, 600);
    }
}

}  // namespace
}  // namespace quorvel
