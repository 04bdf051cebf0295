#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvel {

// Pixels as image files and streams carry them: red, green, blue, a byte each, row by row.

// Appends width x height pixels (bytes blue, green, red, x; `pitch` pixels a row).
void appendRgb(std::vector<uint8_t>& bytes, const uint32_t* pixels, int width, int height, int pitch);
// The header of a binary PPM image, which the RGB bytes follow.
std::string ppmHeader(int width, int height);

}  // namespace quorvel
