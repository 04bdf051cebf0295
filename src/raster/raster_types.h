#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "numeric/pixel_rect.h"
#include "numeric/vector_types.h"
#include "raster/drawn_strips.h"
#include "scene/scene.h"

namespace quorvel {

// Texture columns and rows 125..127 never contribute: coordinates are capped here before
// the bilinear sample takes (u, v) and (u + 1, v + 1).
inline constexpr int kTexelCeiling = 124;

// Every pixel no face has drawn yet is black, fourth byte 0.
inline constexpr uint32_t kClearColor = 0;

// The depth of every pixel no face has drawn yet: a face draws only where it is nearer.
inline constexpr uint32_t kClearDepthBits = 0x45BB80CD;  // 6000.1f
inline constexpr float kClearDepth = std::bit_cast<float>(kClearDepthBits);

// x grows right, y grows down, (0, 0) is the top-left pixel.
struct ScreenPoint {
    int16_t x, y;
};

struct TriangleVertex {
    ScreenPoint point;
    float depth;
    Vec4 normal;  // lane 3 zero
    uint16_t u, v;
};

// (u, v, depth, spare): interpolated along edges and spans; the spare lane carries nothing.
using SpanAttributes = Vec4;

struct SpanEnd {
    int x;
    SpanAttributes attributes;
    Vec4 normal;
};

// How many faces a face buffer tells apart, one byte a pixel: scenes with more are drawn in
// their own order.
inline constexpr size_t kFaceBufferFaces = 256;

struct RasterTarget;
using SpanRoutine = void (*)(int row, const SpanEnd& endA, const SpanEnd& endB, const RasterTarget& target);

// Where and how one band is drawn: shared, read-only, by every span of the band.
struct RasterTarget {
    PixelRect band;
    int rowPitch;  // pixels per row in both buffers
    uint32_t* colorBuffer;
    float* depthBuffer;
    const Texture* texture;
    const Light* lights;  // kLightCount, unit directions
    const ApproxModel* approx;
    SpanRoutine spanRoutine;
    DrawnStrips* drawn;  // widened by every span inside the band; may be null
    // Beside the depth buffer, where faces are drawn in another order than the scene's: which
    // face stored each depth nearer than the clear one (the depth every frame starts from);
    // null where faces come in the scene's order.
    uint8_t* faceBuffer;
    uint8_t face;  // with a face buffer, the face being drawn: its place in the scene's order
};

}  // namespace quorvel
