#include "scene/approx_math.h"
#include "scene/preparation.h"

namespace quorvel {
namespace {

// Centres one axis and returns the largest centred coordinate, folded into `largest`.
float centreAxis(Vec3* vertices, int count, float Vec3::*axis, float largest) {
    float high = vertices[0].*axis;
    float low = high;
    for (int i = 1; i < count; ++i) {
        const float value = vertices[i].*axis;
        high = value > high ? value : high;
        low = value < low ? value : low;
    }
    const float mid = (high + low) / 2.0f;
    for (int i = 0; i < count; ++i) {
        vertices[i].*axis -= mid;
        largest = vertices[i].*axis > largest ? vertices[i].*axis : largest;
    }
    return largest;
}

}  // namespace

void fitModel(Vec3* vertices, int count) {
    if (count <= 0) return;
    float largest = 0.0f;
    largest = centreAxis(vertices, count, &Vec3::x, largest);
    largest = centreAxis(vertices, count, &Vec3::y, largest);
    largest = centreAxis(vertices, count, &Vec3::z, largest);
    if (!(largest > 0.0f)) return;  // all vertices coincide: nothing to scale
    const float r = approxReciprocal(largest);
    for (int i = 0; i < count; ++i) {
        vertices[i].x *= r;
        vertices[i].y *= r;
        vertices[i].z *= r;
    }
}

}  // namespace quorvel
