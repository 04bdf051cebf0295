#pragma once

#include <cstdint>

#include "scene/vector_types.h"

namespace quorvel {

inline constexpr int kLightCount = 3;
inline constexpr int kPaletteSize = 16;
inline constexpr int kTextureSide = 128;
inline constexpr int kTexelCount = kTextureSide * kTextureSide;
inline constexpr int kImageBytes = kTexelCount / 2;  // two 4-bit pixels a byte

// 128 x 128 texels, bytes blue, green, red, 0; texel (u, v) at v * 128 + u, row 0 on top.
struct Texture {
    alignas(64) uint32_t texels[kTexelCount];
};

using PaletteEntry = uint8_t[3];  // blue, green, red

// Everything the renderer draws. Counts are read from the record, never assumed; the
// arrays live elsewhere (static storage for the built-in mesh, the caller's for tests).
struct Scene {
    Light lights[kLightCount];
    uint16_t vertexCount;
    uint16_t faceCount;
    Vec3* vertices;  // rewritten in place by fitModel
    const Face* faces;
    const PaletteEntry* palette;  // kPaletteSize entries
    const uint8_t* image;         // kImageBytes, stored rotated 180 degrees
    Texture texture;              // built by decodeTexture
    Vec3* transformedVertices;    // per frame
    Vec3* faceNormals;            // faceCount, once
    Vec3* vertexNormals;          // vertexCount, once
    Vec3* transformedNormals;     // per frame
};

// Points `scene` at the built-in mesh, lights, palette and picture, restoring the mesh to
// its unprepared positions.
void loadBuiltInScene(Scene& scene);

extern const uint8_t kBuiltInImage[kImageBytes];

}  // namespace quorvel
