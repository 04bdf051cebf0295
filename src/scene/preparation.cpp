#include "scene/preparation.h"

#include "numeric/native_equivalence.h"

namespace quorvel {

PreparedScene prepareScene(Scene scene, const ApproxModel& approx) {
    // The model's results, from the processor's own instructions where they are the same.
    scene.approx = &fastestEquivalent(approx);
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
