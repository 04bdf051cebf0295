#include "pipeline/band_projection.h"

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

BandRect bandRect(int band, const Viewport& viewport) {
    const int half = viewport.height / 2;
    return {static_cast<int16_t>(band * half), static_cast<int16_t>(band * half + half), 0,
            static_cast<int16_t>(viewport.width)};
}

void drawFaces(const Scene& scene, float scale, const Viewport& viewport, const BandRect& rect,
               SpanRoutine drawSpan, DrawnStrips* drawn) {
    const RasterTarget target = {
        rect,     viewport.width, viewport.colorBuffer, viewport.depthBuffer, &scene.texture, scene.lights,
        drawSpan, drawn};
    for (int j = 0; j < scene.faceCount; ++j) {
        TriangleVertex corners[3];
        for (int slot = 0; slot < 3; ++slot) {
            const int index = scene.faces[j].slot[slot];
            const ProjectedPoint projected = projectVertex(scene.transformedVertices[index], scale, viewport);
            const Vec3& n = scene.transformedNormals[index];
            corners[slot] = {
                projected.point, projected.depth, {{n.x, n.y, n.z, 0.0f}}, kSlotU[slot], kSlotV[slot]};
        }
        drawTriangle(corners[0], corners[1], corners[2], target);
    }
}

void renderBand(const BandJob& job) {
    drawFaces(*job.scene, job.scale, *job.viewport, bandRect(job.band, *job.viewport), job.drawSpan,
              job.drawn);
}

}  // namespace quorvel
