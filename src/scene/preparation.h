#pragma once

#include "scene/scene.h"

namespace quorvel {

// Centres the vertices on the origin and scales the largest half-extent to (about) 1.
// Coincident vertices are only centred.
void fitModel(std::span<Vec3> vertices, const ApproxModel& approx);
void computeFaceNormals(Scene& scene);
// Unweighted mean of the adjacent face normals; a vertex no face uses gets (0, 0, 0).
void computeVertexNormals(Scene& scene);
void normalizeLights(Scene& scene, const ApproxModel& approx);
// Expands the 4-bit picture through the palette into the upright texture.
void decodeTexture(Scene& scene);

// The one-time start-up preparation, in its required order, with the approximations the
// frames will be drawn with.
void prepareScene(Scene& scene, const ApproxModel& approx = defaultApprox());

}  // namespace quorvel
