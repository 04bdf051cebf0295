#pragma once

#include <cstdint>

namespace quorvel {

inline constexpr int16_t kDepthOffset = 1000;  // added to every projected depth

// Rows top..bottom-1 and columns left..right-1 of the frame.
struct PixelRect {
    int top, bottom, left, right;
};

// The drawing area and its two buffers, width x height words each, rows top to bottom.
struct Viewport {
    uint16_t width;
    uint16_t height;
    int16_t centerX;
    int16_t centerY;
    int16_t depthOffset;
    uint32_t* colorBuffer;  // bytes blue, green, red, 0
    float* depthBuffer;     // smaller is nearer
    // Outside this area both buffers hold their clear values; until a frame has been
    // drawn that is unknown, so it starts as the whole frame.
    PixelRect drawnArea;
};

inline Viewport makeViewport(uint16_t width, uint16_t height, uint32_t* colorBuffer, float* depthBuffer) {
    return {width,
            height,
            static_cast<int16_t>(width / 2),
            static_cast<int16_t>(height / 2),
            kDepthOffset,
            colorBuffer,
            depthBuffer,
            {0, height, 0, width}};
}

}  // namespace quorvel
