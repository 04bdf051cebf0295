// Writes the built-in picture as a PNG icon of SIZE x SIZE pixels: the picture fills a
// square with rounded corners, transparent around it, each pixel the mean of 4 x 4 samples
// of the picture taken bilinearly, its alpha the share of those samples inside the square:
//   quorvel-draw-icon SIZE FILE

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "scene/preparation.h"

namespace {

using namespace quorvel;

constexpr int kSamples = 4;  // per pixel each way

// The picture's colour channel `c` at (u, v) in texels, bilinearly, edges held.
float channel(const Texture& texture, float u, float v, int c) {
    const auto texel = [&](int x, int y) {
        x = std::clamp(x, 0, kTextureSide - 1);
        y = std::clamp(y, 0, kTextureSide - 1);
        return float(texture.texels[y * kTextureSide + x] >> (8 * c) & 0xFF);
    };
    const float x = u - 0.5f, y = v - 0.5f;
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const float fx = x - float(x0), fy = y - float(y0);
    return (texel(x0, y0) * (1 - fx) + texel(x0 + 1, y0) * fx) * (1 - fy) +
           (texel(x0, y0 + 1) * (1 - fx) + texel(x0 + 1, y0 + 1) * fx) * fy;
}

// Whether (x, y), in icon pixels, lies in the rounded square the picture fills.
bool insideShape(float x, float y, int size) {
    const float margin = float(size) / 16, radius = float(size) / 5;
    const float low = margin + radius, high = float(size) - margin - radius;
    const float dx = std::max({low - x, 0.0f, x - high}), dy = std::max({low - y, 0.0f, y - high});
    return x >= margin && x <= float(size) - margin && y >= margin && y <= float(size) - margin &&
           dx * dx + dy * dy <= radius * radius;
}

}  // namespace

int main(int argc, char** argv) {
    const int size = argc == 3 ? std::atoi(argv[1]) : 0;
    if (size < 8 || size > 1024) {
        std::fprintf(stderr, "usage: quorvel-draw-icon SIZE FILE, SIZE from 8 to 1024\n");
        return 2;
    }
    static Scene scene;
    loadBuiltInScene(scene);
    decodeTexture(scene);
    const float margin = float(size) / 16, scale = float(kTextureSide) / (float(size) - 2 * margin);
    std::vector<unsigned char> rgba(size_t(size) * size_t(size) * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float sum[3] = {0, 0, 0};
            int inside = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const float px = float(x) + (float(sx) + 0.5f) / kSamples;
                    const float py = float(y) + (float(sy) + 0.5f) / kSamples;
                    if (!insideShape(px, py, size)) continue;
                    ++inside;
                    for (int c = 0; c < 3; ++c)
                        sum[c] += channel(scene.texture, (px - margin) * scale, (py - margin) * scale, c);
                }
            }
            unsigned char* out = &rgba[(size_t(y) * size_t(size) + size_t(x)) * 4];
            // Texels are blue, green, red: the PNG takes red first.
            for (int c = 0; c < 3; ++c)
                out[2 - c] = inside ? (unsigned char)std::lround(sum[c] / float(inside)) : 0;
            out[3] = (unsigned char)std::lround(255.0f * float(inside) / (kSamples * kSamples));
        }
    }
    if (stbi_write_png(argv[2], size, size, 4, rgba.data(), size * 4) == 0) {
        std::fprintf(stderr, "quorvel-draw-icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
