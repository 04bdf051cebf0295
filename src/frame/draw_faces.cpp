#include "frame/draw_faces.h"

#include <cmath>

#include "raster/draw_triangle.h"

namespace quorvel {
namespace {

// Texture coordinates by face slot: the triangular frame of the picture.
constexpr uint16_t kSlotU[3] = {64, 0, 127};
constexpr uint16_t kSlotV[3] = {0, 127, 127};

int16_t roundToScreen(double value) {
    const double rounded = std::nearbyint(value);  // default mode: nearest, ties to even
    if (!(rounded >= -32768.0 && rounded <= 32767.0)) return -32768;
    return static_cast<int16_t>(rounded);
}

}  // namespace

ProjectedPoint projectVertex(const Vec3& transformed, float scale, const Viewport& viewport) {
    const double s = scale;
    return {{roundToScreen(double{transformed.x} * s + viewport.centerX),
             roundToScreen(double{transformed.y} * s + viewport.centerY)},
            static_cast<float>(double{transformed.z} * s + viewport.depthOffset)};
}

void renderBand(const BandJob& job) {
    const Scene& scene = *job.scene;
    const Viewport& viewport = *job.viewport;
    const RasterTarget target = {job.rect,       viewport.width, viewport.colorBuffer, viewport.depthBuffer,
                                 &scene.texture, scene.lights,   scene.approx,         job.spanRoutine,
                                 job.drawn};
    for (const Face& face : scene.faces) {
        TriangleVertex corners[3];
        for (int slot = 0; slot < 3; ++slot) {
            const int index = face.slot[slot];
            const ProjectedPoint projected = projectVertex(job.mesh->vertices[index], job.scale, viewport);
            const Vec3& n = job.mesh->normals[index];
            corners[slot] = {
                projected.point, projected.depth, {{n.x, n.y, n.z, 0.0f}}, kSlotU[slot], kSlotV[slot]};
        }
        drawTriangle(corners[0], corners[1], corners[2], target);
    }
}

}  // namespace quorvel
