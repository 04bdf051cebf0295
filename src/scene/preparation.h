#pragma once

#include "scene/scene.h"

namespace quorvel {

// Centres the vertices on the origin and scales the largest half-extent to (about) 1.
// Coincident vertices are only centred.
void fitModel(std::span<Vec3> vertices);
void computeFaceNormals(Scene& scene);
// Unweighted mean of the adjacent face normals; a vertex no face uses gets (0, 0, 0).
void computeVertexNormals(Scene& scene);
void normalizeLights(Scene& scene);
// Expands the 4-bit picture through the palette into the upright texture.
void decodeTexture(Scene& scene);

// The one-time start-up preparation, in its required order.
void prepareScene(Scene& scene);

}  // namespace quorvel
