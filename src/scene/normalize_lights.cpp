#include "numeric/approx_math.h"
#include "scene/preparation.h"

namespace quorvel {

void normalizeLights(Scene& scene, const ApproxModel& approx) {
    for (Light& light : scene.lights) {
        float* d = light.direction.lane;
        const float squares = (d[0] * d[0] + d[1] * d[1]) + (d[2] * d[2] + d[3] * d[3]);
        const float r = approxReciprocalSqrt(approx, squares);
        for (int lane = 0; lane < 4; ++lane) d[lane] *= r;
    }
}

}  // namespace quorvel
