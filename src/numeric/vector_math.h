#pragma once

#include "numeric/vector_types.h"

namespace quorvel {

// Double precision on float inputs; results stored back as floats.
void vecSub(Vec3& out, const Vec3& a, const Vec3& b);
void vecCross(Vec3& out, const Vec3& e1, const Vec3& e2);
// In place; a zero-length vector stays (0, 0, 0).
void vecNormalize(Vec3& v);

}  // namespace quorvel
