#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quorvel {

// Files are PNG or PPM; standard output takes PPM or a YUV4MPEG2 stream.
enum class ImageFormat { Png, Ppm, Y4m };

// By extension: ".png" or ".ppm"; none for anything else.
std::optional<ImageFormat> imageFormatOf(const std::string& path);
// By name: "png", "ppm" or "y4m".
std::optional<ImageFormat> imageFormatNamed(const std::string& name);
const char* extensionOf(ImageFormat format);

// Writes width x height pixels (bytes blue, green, red, x; `pitch` pixels a row) as an
// RGB image. The file appears under its name only when complete; on failure nothing is
// left behind and `error` says why. Throws std::bad_alloc when memory runs out, leaving
// nothing behind either.
bool writeImage(const std::string& path, ImageFormat format, const uint32_t* pixels, int width, int height,
                int pitch, std::string& error);

}  // namespace quorvel
