#include "scene/preparation.h"

namespace quorvel {

void prepareScene(Scene& scene) {
    decodeTexture(scene);
    normalizeLights(scene);
    fitModel(scene.vertices);
    computeFaceNormals(scene);
    computeVertexNormals(scene);
}

}  // namespace quorvel
