#include "scene/preparation.h"

#include "numeric/native_equivalence.h"

namespace quorvel {
namespace {

void prepareInPlace(Scene& scene, const ApproxModel& approx) {
    // The model's results, from the processor's own instructions where they are the same.
    scene.approx = &fastestEquivalent(approx);
    decodeTexture(scene);
    normalizeLights(scene, approx);
    fitModel(scene.vertices, approx);
    computeFaceNormals(scene);
    computeVertexNormals(scene);
}

}  // namespace

PreparedScene prepareScene(Scene scene, const ApproxModel& approx) {
    auto prepared = std::make_unique<Scene>(std::move(scene));
    prepareInPlace(*prepared, approx);
    return PreparedScene(std::move(prepared));
}

PreparedScene prepareBuiltInScene(const ApproxModel& approx) {
    auto scene = std::make_unique<Scene>();
    loadBuiltInScene(*scene);
    prepareInPlace(*scene, approx);
    return PreparedScene(std::move(scene));
}

}  // namespace quorvel
