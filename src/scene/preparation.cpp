#include "scene/preparation.h"

namespace quorvel {

void prepareScene(Scene& scene, const ApproxModel& approx) {
    scene.approx = &approx;
    decodeTexture(scene);
    normalizeLights(scene, approx);
    fitModel(scene.vertices, approx);
    computeFaceNormals(scene);
    computeVertexNormals(scene);
}

}  // namespace quorvel
