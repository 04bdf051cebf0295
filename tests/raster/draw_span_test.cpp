#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "raster/draw_span_reference.h"
#include "raster_canvas.h"

namespace quorvel {
namespace {

constexpr uint32_t kPalette0 = 0x474441;  // bytes 41 44 47: blue 65, green 68, red 71
constexpr Vec4 kFacingLight0 = {{0.0f, 0.0f, 1.0f, 0.0f}};

uint32_t bgr(int blue, int green, int red) {
    return uint32_t(blue) | uint32_t(green) << 8 | uint32_t(red) << 16;
}

TEST(DrawSpan, RejectsEmptySpansAndRowsOutsideTheBand) {
    RasterCanvas canvas(32, 8);
    const RasterTarget target = canvas.target({2, 6, 0, 32}, drawSpanReference);
    drawSpanReference(3, spanEndAt(5, 0, 0, 1), spanEndAt(5, 0, 0, 1), target);
    drawSpanReference(1, spanEndAt(0, 0, 0, 1), spanEndAt(20, 0, 0, 1), target);
    drawSpanReference(6, spanEndAt(0, 0, 0, 1), spanEndAt(20, 0, 0, 1), target);
    for (float d : canvas.depth) ASSERT_EQ(d, kClearDepth);
}

TEST(DrawSpan, ClipsBothSidesWithOneMultiplyOnTheLeft) {
    RasterCanvas canvas(20, 1);
    const SpanEnd left = spanEndAt(-10, 0.0f, 0.0f, 0.1f);
    const SpanEnd right = spanEndAt(30, 40.0f, 3.0f, 3.7f);
    // Ends arrive in either order; the span routine sorts them.
    drawSpanReference(0, right, left, canvas.whole(drawSpanReference));

    const float step = (3.7f - 0.1f) / 40.0f;
    const float clipped = 0.1f + step * 10.0f;
    EXPECT_EQ(canvas.depthAt(0, 0), clipped);
    float stepped = clipped;
    for (int x = 1; x < 20; ++x) {
        stepped += step;
        EXPECT_EQ(canvas.depthAt(x, 0), stepped) << x;
    }
    // Ten successive additions would land elsewhere: the clip really is one multiply-add.
    float added = 0.1f;
    for (int i = 0; i < 10; ++i) added += step;
    EXPECT_NE(added, clipped);
}

TEST(DrawSpan, StopsBeforeTheRightEdgeAndKeepsTheLeftColumns) {
    RasterCanvas canvas(16, 1);
    drawSpanReference(0, spanEndAt(3, 0, 0, 1), spanEndAt(40, 0, 0, 1),
                      canvas.target({0, 1, 0, 12}, drawSpanReference));
    for (int x = 0; x < 16; ++x) EXPECT_EQ(canvas.depthAt(x, 0) != kClearDepth, x >= 3 && x < 12) << x;
}

TEST(DrawSpan, EqualDepthDoesNotOverwrite) {
    RasterCanvas canvas(8, 1);
    drawSpanReference(0, spanEndAt(0, 0, 0, 5), spanEndAt(8, 0, 0, 5), canvas.whole(drawSpanReference));
    const auto before = canvas.color;
    const Vec4 away = {{0.0f, 0.0f, -1.0f, 0.0f}};
    drawSpanReference(0, spanEndAt(0, 0, 0, 5, away), spanEndAt(8, 0, 0, 5, away),
                      canvas.whole(drawSpanReference));
    EXPECT_EQ(canvas.color, before);
}

TEST(DrawSpan, LightsPaletteZeroFullyAndBacksInDarkness) {
    RasterCanvas canvas(4, 3);
    std::fill(std::begin(canvas.texture->texels), std::end(canvas.texture->texels), kPalette0);
    const RasterTarget target = canvas.whole(drawSpanReference);
    drawSpanReference(0, spanEndAt(0, 10, 10, 1, kFacingLight0), spanEndAt(4, 10, 10, 1, kFacingLight0),
                      target);
    const Vec4 away = {{0.0f, 0.0f, -1.0f, 0.0f}};
    drawSpanReference(1, spanEndAt(0, 10, 10, 1, away), spanEndAt(4, 10, 10, 1, away), target);
    const Vec4 zero = {{0.0f, 0.0f, 0.0f, 0.0f}};
    drawSpanReference(2, spanEndAt(0, 10, 10, 1, zero), spanEndAt(4, 10, 10, 1, zero), target);
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(canvas.pixel(x, 0), bgr(64, 67, 70));
        EXPECT_EQ(canvas.pixel(x, 1), 0u);
        EXPECT_EQ(canvas.pixel(x, 2), 0u);
        EXPECT_EQ(canvas.depthAt(x, 1), 1.0f);  // black, but the depth is still written
        EXPECT_EQ(canvas.depthAt(x, 2), 1.0f);
    }
}

TEST(DrawSpan, SamplesTexel124WithNoFractionAtTheCeiling) {
    RasterCanvas canvas(3, 1);
    auto& texels = canvas.texture->texels;
    std::fill(std::begin(texels), std::end(texels), bgr(255, 255, 255));
    texels[124 * kTextureSide + 124] = kPalette0;
    drawSpanReference(0, spanEndAt(0, 124.0f, 126.5f, 1, kFacingLight0),
                      spanEndAt(3, 127.0f, 127.0f, 1, kFacingLight0), canvas.whole(drawSpanReference));
    for (int x = 0; x < 3; ++x) EXPECT_EQ(canvas.pixel(x, 0), bgr(64, 67, 70)) << x;
}

TEST(DrawSpan, FarOutTextureCoordinatesReadInsideTheTexture) {
    RasterCanvas canvas(6, 1);
    auto& texels = canvas.texture->texels;
    std::fill(std::begin(texels), std::end(texels), bgr(255, 255, 255));
    texels[0] = kPalette0;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float coordinates[][2] = {{-3.0f, -1.0f}, {-1e9f, 0.0f}, {nan, nan},
                                    {-inf, inf},    {3e9f, -7.0f}, {0.0f, -40.0f}};
    for (int x = 0; x < 6; ++x) {
        const auto& [u, v] = coordinates[x];
        drawSpanReference(0, spanEndAt(x, u, v, 1, kFacingLight0), spanEndAt(x + 1, u, v, 1, kFacingLight0),
                          canvas.whole(drawSpanReference));
        EXPECT_EQ(canvas.depthAt(x, 0), 1.0f) << x;
    }
    // Whole negative coordinates land on texel 0 with no fraction.
    EXPECT_EQ(canvas.pixel(0, 0), bgr(64, 67, 70));
    EXPECT_EQ(canvas.pixel(5, 0), bgr(64, 67, 70));
}

}  // namespace
}  // namespace quorvel
