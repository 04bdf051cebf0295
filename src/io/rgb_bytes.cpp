#include "io/rgb_bytes.h"

namespace quorvel {

void appendRgb(std::vector<uint8_t>& bytes, const uint32_t* pixels, int width, int height, int pitch) {
    size_t out = bytes.size();
    bytes.resize(out + size_t(width) * size_t(height) * 3);
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = pixels + size_t(y) * size_t(pitch);
        for (int x = 0; x < width; ++x) {
            bytes[out++] = static_cast<uint8_t>(row[x] >> 16);
            bytes[out++] = static_cast<uint8_t>(row[x] >> 8);
            bytes[out++] = static_cast<uint8_t>(row[x]);
        }
    }
}

std::string ppmHeader(int width, int height) {
    return "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
}

}  // namespace quorvel
