#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "io/image_file.h"

namespace quorvel {

// Frames one after another on a stream: binary PPM images, exact, or a YUV4MPEG2 stream
// (4:4:4, BT.601 limited range, 60 frames a second) that video tools read from a pipe.
struct FrameStream {
    std::FILE* file;
    ImageFormat format;  // Ppm or Y4m
    int width;
    int height;
    bool started = false;
    std::vector<uint8_t> bytes;  // one frame's worth, reused
};

// Writes one frame of width x height pixels (bytes blue, green, red, x). False, with errno
// saying why, when the stream refused it.
bool writeStreamFrame(FrameStream& stream, const uint32_t* pixels);

}  // namespace quorvel
