#include <algorithm>
#include <cstring>
#include <iterator>

#include "scene/scene.h"

namespace quorvel {
namespace {

constexpr Vec3 kModelVertices[] = {
    {-1.0f, -1.0f, 1.0f},
    {1.0f, -1.0f, 1.0f},
    {0.0f, 1.0f, 0.0f},
    {0.0f, -1.0f, -1.0f},
};

constexpr Face kModelFaces[] = {
    {{0, 2, 1}},
    {{3, 2, 0}},
    {{1, 2, 3}},
    {{0, 1, 3}},
};

// Directions are stored unnormalised; colours are (blue, green, red, 0) on a 0..255 scale.
constexpr Light kLights[kLightCount] = {
    {{{0.0f, 0.0f, 1.0f, 0.0f}}, {{50.0f, 40.0f, 88.0f, 0.0f}}, {{255.0f, 255.0f, 5.0f, 0.0f}}},
    {{{0.5f, 0.5f, 5.0f, 0.0f}}, {{52.0f, 47.0f, 117.0f, 0.0f}}, {{255.0f, 2.0f, 255.0f, 0.0f}}},
    {{{1.0f, 1.0f, 1.0f, 0.0f}}, {{163.0f, 1.0f, 38.0f, 0.0f}}, {{2.0f, 255.0f, 225.0f, 0.0f}}},
};

constexpr PaletteEntry kPalette[kPaletteSize] = {
    {0x41, 0x44, 0x47}, {0x9F, 0xA2, 0xA2}, {0x75, 0x74, 0x76}, {0xCE, 0xD2, 0xD2},
    {0x8C, 0x8D, 0x8F}, {0xBC, 0xBF, 0xBF}, {0x60, 0x5E, 0x61}, {0xE3, 0xE9, 0xE8},
    {0x6A, 0x67, 0x6D}, {0xAB, 0xAD, 0xAF}, {0x81, 0x80, 0x85}, {0x97, 0x98, 0x9C},
    {0xC6, 0xC9, 0xCC}, {0xF4, 0xFA, 0xFC}, {0x52, 0x50, 0x55}, {0xDA, 0xDF, 0xDF},
};

}  // namespace

void setMesh(Scene& scene, std::span<const Vec3> vertices, std::span<const Face> faces) {
    scene.vertices.assign(vertices.begin(), vertices.end());
    scene.faces.assign(faces.begin(), faces.end());
    scene.faceNormals.assign(faces.size(), Vec3{});
    scene.vertexNormals.assign(vertices.size(), Vec3{});
}

void loadBuiltInScene(Scene& scene) {
    std::copy(std::begin(kLights), std::end(kLights), scene.lights);
    setMesh(scene, kModelVertices, kModelFaces);
    std::memcpy(scene.palette, kPalette, sizeof kPalette);
    std::copy(std::begin(kBuiltInImage), std::end(kBuiltInImage), scene.image);
}

}  // namespace quorvel
