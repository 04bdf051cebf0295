#include "scene/preparation.h"

namespace quorvel {

void decodeTexture(Scene& scene) {
    // The picture is stored rotated 180 degrees: texel t comes from image pixel 16383 - t.
    for (int t = 0; t < kTexelCount; ++t) {
        const int p = kTexelCount - 1 - t;
        const uint8_t byte = scene.image[p / 2];
        const int index = (p % 2 == 0) ? (byte >> 4) : (byte & 0x0F);
        const PaletteEntry& color = scene.palette[index];
        scene.texture.texels[t] = uint32_t{color[0]} | uint32_t{color[1]} << 8 | uint32_t{color[2]} << 16;
    }
}

}  // namespace quorvel
