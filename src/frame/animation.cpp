#include "frame/animation.h"

#include <cmath>

namespace quorvel {
namespace {

Vec4 rotationTable(double angle) {
    const float c = static_cast<float>(std::cos(angle));
    const float s = static_cast<float>(std::sin(angle));
    return {{c, s, -c, -s}};
}

}  // namespace

Animation startAnimation(int height) {
    Animation animation{};
    animation.angleStep = kAngleStep;
    animation.zoomShrinking = true;
    animation.zoomCounter = kZoomStartCounter;
    animation.zoomInFactor = kZoomInFactor;
    animation.zoomOutFactor = kZoomOutFactor;
    animation.scale = static_cast<float>(height / 4);
    animation.startScale = animation.scale;
    return animation;
}

void updateRotation(Animation& animation) {
    const double a = static_cast<double>(animation.frameCounter) * animation.angleStep;
    animation.rotationA = rotationTable(a);
    animation.rotationB = rotationTable(2.0 * a);
}

void transformPoints(const Animation& animation, const Vec3* source, Vec3* destination, size_t count) {
    const float cosA = animation.rotationA.lane[0], sinA = animation.rotationA.lane[1];
    const float cos2A = animation.rotationB.lane[0], sin2A = animation.rotationB.lane[1];
    for (size_t i = 0; i < count; ++i) {
        const Vec3 p = source[i];
        const float y1 = cos2A * p.y + sin2A * p.z;
        const float z1 = cos2A * p.z - sin2A * p.y;
        const float x2 = sinA * p.x + cosA * z1;
        const float z2 = cosA * p.x - sinA * z1;
        destination[i] = {x2, y1, z2};
    }
}

void advanceZoom(Animation& animation) {
    if (animation.zoomCounter == kZoomTurnCounter) animation.zoomShrinking = true;
    if (animation.zoomCounter == 0) animation.zoomShrinking = false;
    if (animation.zoomShrinking) {
        animation.scale *= animation.zoomOutFactor;
        --animation.zoomCounter;
    } else {
        animation.scale *= animation.zoomInFactor;
        ++animation.zoomCounter;
    }
    // The two factors multiply to 1.0000000354, not 1: without this reset once a cycle the
    // scale creeps up until projected coordinates overflow.
    if (animation.zoomShrinking && animation.zoomCounter == kZoomStartCounter) {
        animation.scale = animation.startScale;
    }
}

void advanceFrameCounter(Animation& animation) {
    animation.frameCounter = (animation.frameCounter + 1) & (kFramesPerRotationCycle - 1);
}

}  // namespace quorvel
