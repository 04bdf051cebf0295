#include "io/frame_stream.h"

#include <string>

#include "io/rgb_bytes.h"

namespace quorvel {
namespace {

void appendText(std::vector<uint8_t>& bytes, const std::string& text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
}

void appendPpm(FrameStream& stream, const uint32_t* pixels) {
    appendText(stream.bytes, ppmHeader(stream.width, stream.height));
    appendRgb(stream.bytes, pixels, stream.width, stream.height, stream.width);
}

// BT.601 with 8-bit integer weights, luma 16..235 and chroma 16..240.
uint8_t luma(int r, int g, int b) {
    return static_cast<uint8_t>(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16);
}
uint8_t blueDifference(int r, int g, int b) {
    return static_cast<uint8_t>(((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128);
}
uint8_t redDifference(int r, int g, int b) {
    return static_cast<uint8_t>(((112 * r - 94 * g - 18 * b + 128) >> 8) + 128);
}

void appendY4m(FrameStream& stream, const uint32_t* pixels) {
    if (!stream.started) {
        appendText(stream.bytes, "YUV4MPEG2 W" + std::to_string(stream.width) + " H" +
                                     std::to_string(stream.height) +
                                     " F60:1 Ip A1:1 C444 XCOLORRANGE=LIMITED\n");
    }
    appendText(stream.bytes, "FRAME\n");
    const size_t count = size_t(stream.width) * size_t(stream.height);
    const size_t planeStart = stream.bytes.size();
    stream.bytes.resize(planeStart + 3 * count);
    uint8_t* y = stream.bytes.data() + planeStart;
    uint8_t* u = y + count;
    uint8_t* v = u + count;
    for (size_t i = 0; i < count; ++i) {
        const int r = int(pixels[i] >> 16 & 0xFF), g = int(pixels[i] >> 8 & 0xFF), b = int(pixels[i] & 0xFF);
        y[i] = luma(r, g, b);
        u[i] = blueDifference(r, g, b);
        v[i] = redDifference(r, g, b);
    }
}

}  // namespace

bool writeStreamFrame(FrameStream& stream, const uint32_t* pixels) {
    stream.bytes.clear();
    if (stream.format == ImageFormat::Y4m) {
        appendY4m(stream, pixels);
    } else {
        appendPpm(stream, pixels);
    }
    stream.started = true;
    return std::fwrite(stream.bytes.data(), 1, stream.bytes.size(), stream.file) == stream.bytes.size() &&
           std::fflush(stream.file) == 0;
}

}  // namespace quorvel
