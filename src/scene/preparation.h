#pragma once

#include <memory>
#include <utility>

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

class PreparedScene;
// The one-time start-up preparation, in its required order, with the approximations the
// frames will be drawn with (at full speed where this processor's own instructions give
// exactly the model's results).
PreparedScene prepareScene(Scene scene, const ApproxModel& approx = defaultApprox());
// The built-in scene, prepared; made where it stays, never on the stack.
PreparedScene prepareBuiltInScene(const ApproxModel& approx = defaultApprox());

// A scene after its one-time preparation, read-only from then on, with the approximations it
// is drawn with: the only kind frames are drawn from. prepareScene alone makes one. The scene
// itself, its texture inline, is larger than a small stack holds: it lives on the heap,
// allocated once at start-up, and this handle to it is small enough to keep anywhere.
class PreparedScene {
  public:
    const Scene& scene() const { return *scene_; }
    const ApproxModel& approx() const { return *scene_->approx; }

  private:
    explicit PreparedScene(std::unique_ptr<Scene> scene) : scene_(std::move(scene)) {}
    friend PreparedScene prepareScene(Scene scene, const ApproxModel& approx);
    friend PreparedScene prepareBuiltInScene(const ApproxModel& approx);

    std::unique_ptr<const Scene> scene_;
};

}  // namespace quorvel
