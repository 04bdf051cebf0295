#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "pipeline/band_projection.h"
#include "pipeline/fill_buffer.h"
#include "raster/draw_span.h"
#include "test_frame.h"

namespace quorvel {
namespace {

TEST(FillBuffer, EveryWayWritesExactlyCountWordsFromAnyAlignment) {
    using Fill = void (*)(uint32_t*, size_t, uint32_t);
    std::vector<Fill> fills = {fillBuffer, fillBufferSse2};
    if (__builtin_cpu_supports("avx")) fills.push_back(fillBufferAvx);
    for (Fill fill : fills) {
        for (size_t offset = 0; offset < 8; ++offset) {
            for (size_t count : {0u, 1u, 3u, 15u, 16u, 17u, 35u, 64u, 100u}) {
                alignas(32) uint32_t words[140];
                std::fill(std::begin(words), std::end(words), 7u);
                fill(words + 1 + offset, count, 0xABCDu);
                for (size_t i = 0; i < std::size(words); ++i) {
                    const bool inside = i >= 1 + offset && i < 1 + offset + count;
                    ASSERT_EQ(words[i], inside ? 0xABCDu : 7u) << offset << " " << count << " " << i;
                }
            }
        }
    }
}

TEST(RenderFrame, TwoBandsMeetWithoutASeam) {
    TestFrame frame(320, 240);
    frame.skipTo(140);
    frame.render(fastestRenderPath());
    const auto colour = frame.colour;
    const auto depth = frame.depth;
    ASSERT_GT(std::count(colour.begin(), colour.end(), 0u), 0);
    ASSERT_LT(std::count(colour.begin(), colour.end(), 0u), long(colour.size()));

    fillBuffer(frame.viewport.colorBuffer, frame.colour.size(), 0);
    fillBuffer(reinterpret_cast<uint32_t*>(frame.viewport.depthBuffer), frame.depth.size(), kClearDepthBits);
    drawFaces(frame.scene, frame.animation.scale, frame.viewport, {0, 240, 0, 320}, drawSpan, nullptr);
    EXPECT_EQ(frame.colour, colour);
    EXPECT_EQ(frame.depth, depth);
}

TEST(RenderFrame, LeavesTheFourthByteZeroAndRepeatsExactly) {
    TestFrame first(256, 160), second(256, 160);
    for (int i = 0; i < 40; ++i) {
        first.render(fastestRenderPath());
        second.render(referenceRenderPath());
        advanceFrameCounter(first.animation);
        advanceFrameCounter(second.animation);
        ASSERT_TRUE(
            std::all_of(first.colour.begin(), first.colour.end(), [](uint32_t p) { return p >> 24 == 0; }));
        ASSERT_EQ(first.colour, second.colour) << "frame " << i;
        ASSERT_EQ(first.depth, second.depth) << "frame " << i;
    }
}

// The fast path draws every frame of the zoom cycle exactly as the reference does. The
// fast frames follow one another, so each clears only what the one before drew; the
// reference frames are drawn over scribbled buffers that must be cleared whole.
TEST(RenderFrame, WholeCycleMatchesTheReferenceAtTwoSizes) {
    for (const auto& [width, height] : {std::pair{322, 182}, std::pair{640, 360}}) {
        TestFrame fast(width, height), reference(width, height);
        for (int frame = 0; frame < kZoomCycleFrames; ++frame) {
            std::fill(reference.colour.begin(), reference.colour.end(), 0xDEADBEEFu);
            std::fill(reference.depth.begin(), reference.depth.end(), 0.0f);
            reference.viewport = makeViewport(uint16_t(width), uint16_t(height), reference.colour.data(),
                                              reference.depth.data());
            fast.render(fastestRenderPath());
            reference.render(referenceRenderPath());
            advanceFrameCounter(fast.animation);
            advanceFrameCounter(reference.animation);
            ASSERT_EQ(fast.colour, reference.colour) << width << "x" << height << " frame " << frame;
            ASSERT_EQ(fast.depth, reference.depth) << width << "x" << height << " frame " << frame;
        }
    }
}

TEST(RenderFrame, AMeshInTheTopHalfLeavesTheBottomHalfClear) {
    Vec3 vertices[] = {{0.0f, -1.5f, -1.0f}, {0.0f, -0.5f, 1.0f}, {0.0f, -1.5f, 1.0f}};
    Vec3 normals[] = {{1, 0, 0}, {1, 0, 0}, {1, 0, 0}};
    const Face faces[] = {{{0, 1, 2}}};
    Vec3 transformedVertices[3], transformedNormals[3];
    TestFrame frame(64, 48);
    Scene& scene = frame.scene;
    scene.vertexCount = 3;
    scene.faceCount = 1;
    scene.vertices = vertices;
    scene.vertexNormals = normals;
    scene.faces = faces;
    scene.transformedVertices = transformedVertices;
    scene.transformedNormals = transformedNormals;
    frame.render(fastestRenderPath());

    const auto middle = std::next(frame.colour.begin(), 64 * 24);
    EXPECT_TRUE(std::any_of(frame.colour.begin(), middle, [](uint32_t p) { return p != 0; }));
    EXPECT_TRUE(std::all_of(middle, frame.colour.end(), [](uint32_t p) { return p == 0; }));
    EXPECT_TRUE(std::all_of(std::next(frame.depth.begin(), 64 * 24), frame.depth.end(),
                            [](float d) { return d == kClearDepth; }));
}

}  // namespace
}  // namespace quorvel
