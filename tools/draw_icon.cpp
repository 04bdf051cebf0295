// Writes the built-in picture as a square PNG icon of SIZE pixels (a divisor of 128),
// each pixel the mean of the texels it covers:
//   quorvel-draw-icon SIZE FILE

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "io/image_file.h"
#include "scene/preparation.h"

int main(int argc, char** argv) {
    using namespace quorvel;
    const int size = argc == 3 ? std::atoi(argv[1]) : 0;
    if (size < 1 || size > kTextureSide || kTextureSide % size != 0) {
        std::fprintf(stderr, "usage: quorvel-draw-icon SIZE FILE, SIZE dividing %d\n", kTextureSide);
        return 2;
    }
    static Scene scene;
    loadBuiltInScene(scene);
    decodeTexture(scene);
    const int step = kTextureSide / size;
    std::vector<uint32_t> icon(size_t(size) * size_t(size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            uint32_t sum[3] = {0, 0, 0};
            for (int v = y * step; v < (y + 1) * step; ++v) {
                for (int u = x * step; u < (x + 1) * step; ++u) {
                    const uint32_t texel = scene.texture.texels[v * kTextureSide + u];
                    for (int c = 0; c < 3; ++c) sum[c] += texel >> (8 * c) & 0xFF;
                }
            }
            uint32_t pixel = 0;
            for (int c = 0; c < 3; ++c) pixel |= (sum[c] / uint32_t(step * step)) << (8 * c);
            icon[size_t(y) * size_t(size) + size_t(x)] = pixel;
        }
    }
    std::string error;
    if (!writeImage(argv[2], ImageFormat::Png, icon.data(), size, size, size, error)) {
        std::fprintf(stderr, "quorvel-draw-icon: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
