#include "scene/preparation.h"

namespace quorvel {

PreparedScene prepareScene(Scene scene, const ApproxModel& approx) {
    scene.approx = &approx;
    decodeTexture(scene);
    normalizeLights(scene, approx);
    fitModel(scene.vertices, approx);
    computeFaceNormals(scene);
    computeVertexNormals(scene);
    return PreparedScene(std::move(scene));
}

PreparedScene prepareBuiltInScene(const ApproxModel& approx) {
    Scene scene;
    loadBuiltInScene(scene);
    return prepareScene(std::move(scene), approx);
}

}  // namespace quorvel
