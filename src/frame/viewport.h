#pragma once

#include <cstdint>

namespace quorvel {

inline constexpr int16_t kDepthOffset = 1000;  // added to every projected depth

// The drawing area and its buffers, width x height words (the face buffer bytes) each, rows
// top to bottom. The record itself is read-only once made; the frame writes only into the
// buffers.
struct Viewport {
    uint16_t width;
    uint16_t height;
    int16_t centerX;
    int16_t centerY;
    int16_t depthOffset;
    uint32_t* colorBuffer;  // bytes blue, green, red, 0
    float* depthBuffer;     // smaller is nearer
    // Which face stored each depth: with it the fast routines draw the faces that face the
    // viewer first and shade little of those behind them. May be null.
    uint8_t* faceBuffer;
};

inline Viewport makeViewport(uint16_t width, uint16_t height, uint32_t* colorBuffer, float* depthBuffer,
                             uint8_t* faceBuffer = nullptr) {
    return {width,
            height,
            static_cast<int16_t>(width / 2),
            static_cast<int16_t>(height / 2),
            kDepthOffset,
            colorBuffer,
            depthBuffer,
            faceBuffer};
}

}  // namespace quorvel
