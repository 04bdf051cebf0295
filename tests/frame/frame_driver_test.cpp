#include <gtest/gtest.h>

#include <algorithm>

#include "frame/band_order.h"
#include "frame/draw_faces.h"
#include "numeric/fill_buffer.h"
#include "raster/draw_span_reference.h"
#include "test_frame.h"

namespace quorvel {
namespace {

TEST(RenderFrame, TwoBandsMeetWithoutASeam) {
    TestFrame frame(320, 240);
    skipFrames(frame.frames, 140);
    frame.render(fastestRenderPath());
    const auto color = frame.color;
    const auto depth = frame.depth;
    ASSERT_GT(std::count(color.begin(), color.end(), 0u), 0);
    ASSERT_LT(std::count(color.begin(), color.end(), 0u), long(color.size()));

    fillBuffer(frame.viewport.colorBuffer, frame.color.size(), 0);
    fillBuffer(reinterpret_cast<uint32_t*>(frame.viewport.depthBuffer), frame.depth.size(), kClearDepthBits);
    // The frame just drawn again as one band: the scale and mesh are still the frame's.
    renderBand({{0, 240, 0, 320},
                &frame.scene.scene(),
                &frame.frames.mesh,
                frame.frames.animation.scale,
                &frame.viewport,
                drawSpanReference,
                nullptr,
                nullptr});
    EXPECT_EQ(frame.color, color);
    EXPECT_EQ(frame.depth, depth);
}

TEST(RenderFrame, LeavesTheFourthByteZeroAndRepeatsExactly) {
    TestFrame first(256, 160), second(256, 160);
    for (int i = 0; i < 40; ++i) {
        first.render(fastestRenderPath());
        second.render(referenceRenderPath());
        ASSERT_TRUE(
            std::all_of(first.color.begin(), first.color.end(), [](uint32_t p) { return p >> 24 == 0; }));
        ASSERT_EQ(first.color, second.color) << "frame " << i;
        ASSERT_EQ(first.depth, second.depth) << "frame " << i;
    }
}

TEST(RenderFrame, AMeshInTheTopHalfLeavesTheBottomHalfClear) {
    // The fourth vertex, which no face uses, keeps the fitted triangle above the middle.
    const Vec3 vertices[] = {
        {0.0f, -1.5f, -1.0f}, {0.0f, -0.5f, 1.0f}, {0.0f, -1.5f, 1.0f}, {0.0f, 1.5f, 0.0f}};
    const Face faces[] = {{{0, 1, 2}}};
    Scene scene;
    loadBuiltInScene(scene);
    setMesh(scene, vertices, faces);
    TestFrame frame(64, 48, prepareScene(std::move(scene)));
    frame.render(fastestRenderPath());

    const auto middle = std::next(frame.depth.begin(), 64 * 24);
    EXPECT_TRUE(std::any_of(frame.depth.begin(), middle, [](float d) { return d != kClearDepth; }));
    EXPECT_TRUE(std::all_of(middle, frame.depth.end(), [](float d) { return d == kClearDepth; }));
    EXPECT_TRUE(std::all_of(std::next(frame.color.begin(), 64 * 24), frame.color.end(),
                            [](uint32_t p) { return p == 0; }));
}

// One triangle twice, both windings, each with vertices of its own (so with normals of its
// own, one face lit where the other is dark): the two meet at equal depths at every pixel,
// and as the mesh turns either may be the one the fast path draws first. The first in the
// scene wins every pixel, as in the reference; so it does after faces that draw nothing, the
// pair straddling what a face buffer tells apart.
TEST(RenderFrame, FacesAtEqualDepthsGoToTheFirstInTheScene) {
    const Vec3 corners[] = {{-1.0f, -1.0f, 0.2f}, {1.0f, -0.5f, -0.3f}, {0.0f, 1.0f, 0.4f}};
    const Vec3 vertices[] = {corners[0], corners[1], corners[2], corners[0], corners[1], corners[2]};
    for (const size_t before : {size_t{0}, kFaceBufferFaces - 1}) {
        std::vector<Face> faces(before, Face{{0, 0, 0}});
        faces.push_back({{0, 1, 2}});
        faces.push_back({{3, 5, 4}});
        const auto prepared = [&] {
            Scene scene;
            loadBuiltInScene(scene);
            setMesh(scene, vertices, faces);
            return prepareScene(std::move(scene));
        };
        TestFrame fast(96, 64, prepared()), reference(96, 64, prepared());
        // A frame every 21 through a whole turn.
        for (int frame = 0; frame < 512; frame += 21) {
            skipFrames(fast.frames, 20);
            skipFrames(reference.frames, 20);
            fast.render(fastestRenderPath());
            reference.render(referenceRenderPath());
            ASSERT_EQ(fast.color, reference.color) << faces.size() << " faces, frame " << frame;
            ASSERT_EQ(fast.depth, reference.depth) << faces.size() << " faces, frame " << frame;
        }
    }
}

// Three colour buffers (as a compositor holding one needs), each starting with anything at
// all: frames go into them in turn, and each is the frame drawn with one buffer.
TEST(RenderFrame, DrawsIntoEachColourBufferInTurn) {
    TestFrame ring(130, 98), one(130, 98);
    std::vector<uint32_t> second(ring.color.size(), 0xDEADBEEFu), third(ring.color.size(), 0x12345678u);
    uint32_t* const buffers[3] = {ring.color.data(), second.data(), third.data()};
    ASSERT_TRUE(drawIntoColorBuffers(ring.frames, buffers, 3));
    skipFrames(ring.frames, 1200);
    skipFrames(one.frames, 1200);
    for (int frame = 0; frame < 10; ++frame) {
        const DrawnFrame drawn = renderFrame(ring.scene, ring.frames, fastestRenderPath());
        one.render(referenceRenderPath());
        ASSERT_EQ(drawn.colorBuffer, frame % 3);
        ASSERT_EQ(drawn.pixels, buffers[frame % 3]);
        ASSERT_TRUE(std::equal(one.color.begin(), one.color.end(), drawn.pixels)) << "frame " << frame;
    }
}

TEST(RenderFrame, RefusesColourBuffersItCannotUse) {
    TestFrame frame(64, 48);
    std::vector<uint32_t> other(frame.color.size());
    uint32_t* const four[4] = {frame.color.data(), other.data(), other.data(), other.data()};
    uint32_t* const withNull[2] = {frame.color.data(), nullptr};
    EXPECT_FALSE(drawIntoColorBuffers(frame.frames, four, 0));
    EXPECT_FALSE(drawIntoColorBuffers(frame.frames, four, 4));
    EXPECT_FALSE(drawIntoColorBuffers(frame.frames, withNull, 2));
    // Refused, the frames still go into the one buffer they went into.
    EXPECT_EQ(renderFrame(frame.scene, frame.frames, fastestRenderPath()).pixels, frame.color.data());
}

// Frames are the size the state was started for, whatever buffers lie beyond: drawn into
// buffers four times as large, nothing past width x height words is touched, at the zoom
// where the solid overflows the frame.
TEST(RenderFrame, WritesOnlyTheSizeItWasStartedFor) {
    const int width = 64, height = 48;
    const size_t pixels = size_t(width) * size_t(height);
    std::vector<uint32_t> color(4 * pixels, 0xDEADBEEFu);
    std::vector<float> depth(4 * pixels, -1.0f);
    std::vector<uint8_t> faces(4 * pixels, 0xEE);
    const PreparedScene scene = prepareBuiltInScene();
    FrameState state = startFrames(
        scene, makeViewport(uint16_t(width), uint16_t(height), color.data(), depth.data(), faces.data()));
    skipFrames(state, 1255);
    for (int frame = 0; frame < 12; ++frame) renderFrame(scene, state, fastestRenderPath());
    EXPECT_TRUE(
        std::all_of(color.begin() + long(pixels), color.end(), [](uint32_t p) { return p == 0xDEADBEEFu; }));
    EXPECT_TRUE(std::all_of(depth.begin() + long(pixels), depth.end(), [](float d) { return d == -1.0f; }));
    EXPECT_TRUE(std::all_of(faces.begin() + long(pixels), faces.end(), [](uint8_t f) { return f == 0xEE; }));
}

TEST(FrameBuffers, RefuseSizesNoFrameHasAndReleaseWithTheirOwner) {
    FrameBuffers buffers;
    EXPECT_FALSE(allocateFrameBuffers(0, 48, 1, buffers));
    EXPECT_FALSE(allocateFrameBuffers(64, kMaxFrameSide + 2, 1, buffers));
    EXPECT_FALSE(allocateFrameBuffers(64, 48, kMaxColorBuffers + 1, buffers));
    ASSERT_TRUE(allocateFrameBuffers(64, 48, 2, buffers));
    const Viewport viewport = viewportOf(buffers);
    EXPECT_EQ(viewport.width, 64);
    EXPECT_NE(viewport.colorBuffer, nullptr);
    EXPECT_NE(viewport.depthBuffer, nullptr);
    EXPECT_NE(viewport.faceBuffer, nullptr);
    EXPECT_FALSE(buffers.color[1].empty());
    FrameBuffers moved = std::move(buffers);
    EXPECT_EQ(moved.color[0].data(), viewport.colorBuffer);
    EXPECT_TRUE(buffers.color[0].empty());
    // The window lends its own colour buffers: none of ours.
    ASSERT_TRUE(allocateFrameBuffers(64, 48, 0, buffers));
    EXPECT_EQ(viewportOf(buffers).colorBuffer, nullptr);
}

// 200 rows in 1-row strips cut into 4 bands of 50: the bands where most was drawn go first.
TEST(OrderBandsByDrawnArea, PutsTheMostDrawnFirstAndKeepsTiesInOrder) {
    DrawnStrips drawn = startDrawnStrips(64, 200, false);
    int order[kMaxBands];
    orderBandsByDrawnArea(drawn, evenBands(4, drawn.rows), order);
    EXPECT_EQ(std::vector<int>(order, order + 4), (std::vector<int>{0, 1, 2, 3}));
    for (int row = 160; row < 170; ++row) drawn.columns[row] = {0, 64};  // band 3
    drawn.columns[60] = drawn.columns[61] = {0, 64};                     // band 1
    drawn.columns[10] = {0, 1};                                          // band 0, least
    orderBandsByDrawnArea(drawn, evenBands(4, drawn.rows), order);
    EXPECT_EQ(std::vector<int>(order, order + 4), (std::vector<int>{3, 1, 0, 2}));
}

// A strip of 4 rows across the boundary of two bands counts in each by the rows it has there.
TEST(OrderBandsByDrawnArea, SharesAStripBetweenTheBandsItCrosses) {
    DrawnStrips drawn = startDrawnStrips(64, 1000, false);
    ASSERT_EQ(drawn.stripRows, 4);
    drawn.columns[83] = {0, 10};  // rows 332..335: one in band 0, three in band 1
    int order[kMaxBands];
    orderBandsByDrawnArea(drawn, evenBands(3, drawn.rows), order);
    EXPECT_EQ(std::vector<int>(order, order + 3), (std::vector<int>{1, 0, 2}));
}

// Skipping frames leaves the animation exactly where drawing them would: frame 1, the
// frame of the largest zoom, and one a whole animation period later.
TEST(SkipFrames, GivesTheFrameThatDrawingEveryFrameBeforeItGives) {
    constexpr uint64_t kLargestZoom = 1261, kAnimationPeriod = 1824 * 16;
    TestFrame drawn(160, 90);
    std::vector<uint32_t> frameOne, frameOfLargestZoom;
    for (uint64_t number = 0; number <= kLargestZoom; ++number) {
        drawn.render(referenceRenderPath());
        if (number == 1) frameOne = drawn.color;
    }
    frameOfLargestZoom = drawn.color;
    const std::pair<uint64_t, const std::vector<uint32_t>*> cases[] = {
        {1, &frameOne},
        {kLargestZoom, &frameOfLargestZoom},
        {kLargestZoom + kAnimationPeriod, &frameOfLargestZoom}};
    for (const auto& [skipped, expected] : cases) {
        TestFrame frame(160, 90);
        skipFrames(frame.frames, skipped);
        frame.render(referenceRenderPath());
        EXPECT_EQ(frame.color, *expected) << "skipped " << skipped;
    }
}

}  // namespace
}  // namespace quorvel
