#pragma once

#include <cstdint>

namespace quorvel {

// Packed: arrays of Vec3 are 12 bytes per element.
struct Vec3 {
    float x, y, z;
};

// Four float lanes; as a colour, lane 0 is blue, 1 green, 2 red, 3 zero (0..255 scale).
struct alignas(16) Vec4 {
    float lane[4];
};

// Slot order fixes the face normal's direction and each vertex's texture coordinates.
struct Face {
    uint16_t slot[3];
};

struct Light {
    Vec4 direction;
    Vec4 diffuse;
    Vec4 specular;
};

static_assert(sizeof(Vec3) == 12, "Vec3 arrays must be packed");
static_assert(sizeof(Vec4) == 16 && alignof(Vec4) == 16);

}  // namespace quorvel
