#include "numeric/approx_math.h"
#include "scene/preparation.h"

namespace quorvel {
namespace {

// Centres one axis and returns the largest centred coordinate, folded into `largest`.
float centreAxis(std::span<Vec3> vertices, float Vec3::*axis, float largest) {
    float high = vertices[0].*axis;
    float low = high;
    for (const Vec3& vertex : vertices.subspan(1)) {
        const float value = vertex.*axis;
        high = value > high ? value : high;
        low = value < low ? value : low;
    }
    const float mid = (high + low) / 2.0f;
    for (Vec3& vertex : vertices) {
        vertex.*axis -= mid;
        largest = vertex.*axis > largest ? vertex.*axis : largest;
    }
    return largest;
}

}  // namespace

void fitModel(std::span<Vec3> vertices, const ApproxModel& approx) {
    if (vertices.empty()) return;
    float largest = 0.0f;
    largest = centreAxis(vertices, &Vec3::x, largest);
    largest = centreAxis(vertices, &Vec3::y, largest);
    largest = centreAxis(vertices, &Vec3::z, largest);
    if (!(largest > 0.0f)) return;  // all vertices coincide: nothing to scale
    const float r = approxReciprocal(approx, largest);
    for (Vec3& vertex : vertices) {
        vertex.x *= r;
        vertex.y *= r;
        vertex.z *= r;
    }
}

}  // namespace quorvel
