#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "numeric/approx_model.h"
#include "numeric/vector_types.h"

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

// Everything the renderer draws, owning all of its storage: two Scenes never share an
// array. Prepared once (fit, normals, unit lights, texture) and read-only after that; the
// per-frame copies of the mesh belong to the frame driver.
struct Scene {
    Light lights[kLightCount];
    std::vector<Vec3> vertices;  // rewritten in place by fitModel
    std::vector<Face> faces;
    PaletteEntry palette[kPaletteSize];
    uint8_t image[kImageBytes];       // stored rotated 180 degrees
    Texture texture;                  // built by decodeTexture
    std::vector<Vec3> faceNormals;    // one per face, once
    std::vector<Vec3> vertexNormals;  // one per vertex, once
    // The approximations the scene was prepared with, and its frames are drawn with: set
    // by prepareScene.
    const ApproxModel* approx = nullptr;
};

// Gives `scene` this mesh, with room for its normals; everything else stays.
void setMesh(Scene& scene, std::span<const Vec3> vertices, std::span<const Face> faces);

// Fills `scene` with the built-in mesh, lights, palette and picture, unprepared.
void loadBuiltInScene(Scene& scene);

extern const uint8_t kBuiltInImage[kImageBytes];

}  // namespace quorvel
