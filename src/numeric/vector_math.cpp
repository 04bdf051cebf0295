#include "numeric/vector_math.h"

#include <cmath>

namespace quorvel {

void vecSub(Vec3& out, const Vec3& a, const Vec3& b) {
    out.x = static_cast<float>(double{a.x} - double{b.x});
    out.y = static_cast<float>(double{a.y} - double{b.y});
    out.z = static_cast<float>(double{a.z} - double{b.z});
}

void vecCross(Vec3& out, const Vec3& e1, const Vec3& e2) {
    const double x1 = e1.x, y1 = e1.y, z1 = e1.z;
    const double x2 = e2.x, y2 = e2.y, z2 = e2.z;
    out.x = static_cast<float>(y1 * z2 - z1 * y2);
    out.y = static_cast<float>(z1 * x2 - x1 * z2);
    out.z = static_cast<float>(x1 * y2 - y1 * x2);
}

void vecNormalize(Vec3& v) {
    const double x = v.x, y = v.y, z = v.z;
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0) {
        v = {0.0f, 0.0f, 0.0f};
        return;
    }
    v.x = static_cast<float>(x / length);
    v.y = static_cast<float>(y / length);
    v.z = static_cast<float>(z / length);
}

}  // namespace quorvel
