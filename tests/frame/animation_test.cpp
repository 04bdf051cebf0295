#include "frame/animation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace quorvel {
namespace {

TEST(Animation, FrameZeroMirrorsAcrossThePlaneXEqualsZ) {
    Animation animation = startAnimation(1070);
    updateRotation(animation);
    EXPECT_EQ(animation.rotationA.lane[0], 1.0f);
    EXPECT_EQ(animation.rotationA.lane[1], 0.0f);
    EXPECT_EQ(animation.rotationA.lane[2], -1.0f);
    EXPECT_TRUE(std::signbit(animation.rotationA.lane[3]));
    const Vec3 points[] = {{0.25f, -0.5f, 0.75f}, {0.0f, 0.0f, 0.0f}};
    Vec3 moved[2];
    transformPoints(animation, points, moved, 2);
    EXPECT_EQ(moved[0].x, 0.75f);
    EXPECT_EQ(moved[0].y, -0.5f);
    EXPECT_EQ(moved[0].z, 0.25f);
}

TEST(Animation, OriginStaysAtTheOriginAndLengthsArePreserved) {
    Animation animation = startAnimation(1070);
    const Vec3 points[] = {{0.0f, 0.0f, 0.0f}, {0.6f, 0.0f, 0.8f}};
    for (int frame = 0; frame < 512; frame += 37) {
        animation.frameCounter = uint32_t(frame);
        updateRotation(animation);
        Vec3 moved[2];
        transformPoints(animation, points, moved, 2);
        EXPECT_EQ(moved[0].x, 0.0f);
        EXPECT_EQ(moved[0].z, 0.0f);
        EXPECT_NEAR(moved[1].x * moved[1].x + moved[1].y * moved[1].y + moved[1].z * moved[1].z, 1.0f, 1e-5f);
    }
}

TEST(Animation, FrameCounterWrapsAt512) {
    Animation animation = startAnimation(1070);
    for (int i = 0; i < 511; ++i) advanceFrameCounter(animation);
    EXPECT_EQ(animation.frameCounter, 511u);
    advanceFrameCounter(animation);
    EXPECT_EQ(animation.frameCounter, 0u);
}

TEST(Zoom, ShrinksFor350ThenSwingsBy912EachWay) {
    Animation animation = startAnimation(1070);
    EXPECT_EQ(animation.scale, 267.0f);
    std::vector<std::pair<bool, int>> runs;  // (shrinking, steps)
    for (int step = 0; step < 350 + 912 * 3 + 1; ++step) {
        advanceZoom(animation);
        ASSERT_LE(animation.zoomCounter, kZoomTurnCounter);
        if (runs.empty() || runs.back().first != animation.zoomShrinking)
            runs.push_back({animation.zoomShrinking, 0});
        ++runs.back().second;
    }
    const std::vector<std::pair<bool, int>> expected = {
        {true, 350}, {false, 912}, {true, 912}, {false, 912}, {true, 1}};
    EXPECT_EQ(runs, expected);
}

TEST(Zoom, IsExactlyPeriodicAndNeverDrifts) {
    Animation animation = startAnimation(1070);
    std::vector<float> firstCycle;
    for (int frame = 0; frame < kZoomCycleFrames; ++frame) {
        advanceZoom(animation);
        firstCycle.push_back(animation.scale);
    }
    for (int frame = 0; frame < kZoomCycleFrames; ++frame) {
        advanceZoom(animation);
        ASSERT_EQ(animation.scale, firstCycle[size_t(frame)]) << "frame " << frame + kZoomCycleFrames;
    }
    float lowest = animation.scale, highest = animation.scale;
    for (int cycle = 0; cycle < 10'000; ++cycle) {
        for (int frame = 0; frame < kZoomCycleFrames; ++frame) {
            advanceZoom(animation);
            advanceFrameCounter(animation);
            lowest = std::min(lowest, animation.scale);
            highest = std::max(highest, animation.scale);
            ASSERT_LT(animation.frameCounter, kFramesPerRotationCycle);
        }
    }
    EXPECT_GE(lowest, 0.55f * animation.startScale);
    EXPECT_LE(highest, 2.6f * animation.startScale);
    EXPECT_EQ(animation.zoomCounter, kZoomStartCounter);
}

TEST(Zoom, FramesBeforeTheFirstResetMatchTheUnmendedOscillator) {
    Animation animation = startAnimation(1070);
    float literal = animation.scale;
    for (int frame = 0; frame < kZoomCycleFrames - 1; ++frame) {
        const bool shrinking = frame < 350 || frame >= 350 + 912;
        literal *= shrinking ? kZoomOutFactor : kZoomInFactor;
        advanceZoom(animation);
        ASSERT_EQ(animation.scale, literal) << frame;
    }
}

}  // namespace
}  // namespace quorvel
