#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "numeric/vector_types.h"

namespace quorvel {

inline constexpr uint32_t kFramesPerRotationCycle = 512;
inline constexpr float kAngleStep = std::bit_cast<float>(0x3C49081Cu);      // 0.01227 rad
inline constexpr float kZoomInFactor = std::bit_cast<float>(0x3F8037B5u);   // 1.0017
inline constexpr float kZoomOutFactor = std::bit_cast<float>(0x3F7F90C7u);  // nearest 1 / 1.0017
inline constexpr uint16_t kZoomTurnCounter = 912;
inline constexpr uint16_t kZoomStartCounter = 350;
// Shrinking 350, growing 912, shrinking 562 back to the start: the zoom period in frames.
inline constexpr int kZoomCycleFrames = 2 * kZoomTurnCounter;

struct Animation {
    uint32_t frameCounter;
    float angleStep;
    Vec4 rotationA;  // (cos a, sin a, -cos a, -sin a)
    Vec4 rotationB;  // (cos 2a, sin 2a, -cos 2a, -sin 2a)
    bool zoomShrinking;
    uint16_t zoomCounter;
    float zoomInFactor;
    float zoomOutFactor;
    float scale;       // pixels per model unit
    float startScale;  // restored once per zoom cycle
};

// The state at start-up for a drawing area `height` pixels tall.
Animation startAnimation(int height);

void updateRotation(Animation& animation);
// Rotates by 2a about x, then mixes x and z by a (a mirror); float products rounded
// before each sum.
void transformPoints(const Animation& animation, const Vec3* source, Vec3* destination, size_t count);
void advanceZoom(Animation& animation);
void advanceFrameCounter(Animation& animation);

}  // namespace quorvel
