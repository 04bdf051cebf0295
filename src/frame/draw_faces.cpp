#include "frame/draw_faces.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

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

// The built-in solid's faces run anticlockwise on the screen (y down) where they face the
// viewer.
bool facesViewer(const TriangleVertex (&corners)[3]) {
    const int64_t ax = corners[1].point.x - corners[0].point.x, ay = corners[1].point.y - corners[0].point.y;
    const int64_t bx = corners[2].point.x - corners[0].point.x, by = corners[2].point.y - corners[0].point.y;
    return ax * by - ay * bx < 0;
}

}  // namespace

ProjectedPoint projectVertex(const Vec3& transformed, float scale, const Viewport& viewport) {
    const double s = scale;
    return {{roundToScreen(double{transformed.x} * s + viewport.centerX),
             roundToScreen(double{transformed.y} * s + viewport.centerY)},
            static_cast<float>(double{transformed.z} * s + viewport.depthOffset)};
}

RowSpan rowsOfMesh(const TransformedMesh& mesh, float scale, const Viewport& viewport, int height) {
    RowSpan rows{32767, -32768};
    for (const Vec3& vertex : mesh.vertices) {
        const int y = projectVertex(vertex, scale, viewport).point.y;
        if (y == -32768) return {0, height};
        rows = {std::min(rows.top, y), std::max(rows.bottom, y + 1)};
    }
    return rows;
}

namespace {

// A face's corners as this frame sees them.
void projectFace(const Face& face, const BandJob& job, TriangleVertex (&corners)[3]) {
    for (int slot = 0; slot < 3; ++slot) {
        const int index = face.slot[slot];
        const ProjectedPoint projected = projectVertex(job.mesh->vertices[index], job.scale, *job.viewport);
        const Vec3& n = job.mesh->normals[index];
        corners[slot] = {
            projected.point, projected.depth, {{n.x, n.y, n.z, 0.0f}}, kSlotU[slot], kSlotV[slot]};
    }
}

}  // namespace

void renderBand(const BandJob& job) {
    const Scene& scene = *job.scene;
    const Viewport& viewport = *job.viewport;
    const bool anyOrder = job.faceBuffer != nullptr && scene.faces.size() <= kFaceBufferFaces;
    RasterTarget target = {job.rect,
                           viewport.width,
                           viewport.colorBuffer,
                           viewport.depthBuffer,
                           &scene.texture,
                           scene.lights,
                           scene.approx,
                           job.spanRoutine,
                           job.drawn,
                           anyOrder ? job.faceBuffer : nullptr,
                           0};
    // Out of order, the faces turned to the viewer go first: the solid is closed, so most of
    // what the others would shade is then found hidden and left unshaded.
    for (int pass = 0; pass < (anyOrder ? 2 : 1); ++pass) {
        for (size_t i = 0; i < scene.faces.size(); ++i) {
            TriangleVertex corners[3];
            projectFace(scene.faces[i], job, corners);
            if (anyOrder && facesViewer(corners) != (pass == 0)) continue;
            target.face = static_cast<uint8_t>(i);
            drawTriangle(corners[0], corners[1], corners[2], target);
        }
    }
}

}  // namespace quorvel
