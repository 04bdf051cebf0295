#pragma once

#include <memory>
#include <vector>

#include "numeric/fill_buffer.h"
#include "raster/raster_types.h"
#include "scene/preparation.h"

namespace quorvel {

// A frame-sized pair of buffers with the built-in lights and texture, for drawing single
// spans and triangles in tests. The texture sits on the heap alone, so a sanitizer sees any
// read past it.
struct RasterCanvas {
    int width;
    int height;
    std::vector<uint32_t> color;
    std::vector<float> depth;
    std::vector<uint8_t> faces;  // which face drew each pixel, for faces drawn out of order
    std::unique_ptr<Texture> texture = std::make_unique<Texture>();
    Light lights[kLightCount];
    const ApproxModel* approx = &defaultApprox();

    RasterCanvas(int w, int h)
        : width(w),
          height(h),
          color(size_t(w) * h, 0),
          depth(size_t(w) * h, kClearDepth),
          faces(size_t(w) * h, 0) {
        static const PreparedScene prepared = prepareBuiltInScene();
        const Scene& scene = prepared.scene();
        *texture = scene.texture;
        std::copy(std::begin(scene.lights), std::end(scene.lights), lights);
    }

    RasterTarget target(PixelRect band, SpanRoutine routine) {
        return {band,    width, color.data(), depth.data(), texture.get(), lights, approx, routine, nullptr,
                nullptr, 0};
    }
    // Face `face` of a scene whose faces may be drawn in any order.
    RasterTarget faceTarget(SpanRoutine routine, uint8_t face) {
        RasterTarget drawn = whole(routine);
        drawn.faceBuffer = faces.data();
        drawn.face = face;
        return drawn;
    }
    RasterTarget whole(SpanRoutine routine) { return target({0, height, 0, width}, routine); }
    uint32_t pixel(int x, int y) const { return color[size_t(y) * width + x]; }
    float depthAt(int x, int y) const { return depth[size_t(y) * width + x]; }
};

inline TriangleVertex vertexAt(int x, int y, float depth = 10.0f, Vec4 normal = {{0.0f, 0.0f, 1.0f, 0.0f}},
                               uint16_t u = 64, uint16_t v = 64) {
    return {{int16_t(x), int16_t(y)}, depth, normal, u, v};
}

inline SpanEnd spanEndAt(int x, float u, float v, float depth, Vec4 normal = {{0.0f, 0.0f, 1.0f, 0.0f}}) {
    return {x, {{u, v, depth, 0.0f}}, normal};
}

}  // namespace quorvel
