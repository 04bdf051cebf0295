#pragma once

#include <cstdint>

#include "raster/raster_types.h"

namespace quorvel {

inline constexpr int16_t kDepthOffset = 1000;  // added to every projected depth
inline constexpr int kBandCount = 2;           // top half, bottom half

// The drawing area and its two buffers, width x height words each, rows top to bottom.
struct Viewport {
    uint16_t width;
    uint16_t height;
    int16_t centerX;
    int16_t centerY;
    int16_t depthOffset;
    uint32_t* colorBuffer;  // bytes blue, green, red, 0
    float* depthBuffer;     // smaller is nearer
    // Where the last frame's spans fell, band by band: everywhere else both buffers hold
    // their clear values. Before the first frame that is unknown, so it starts as everything.
    DrawnStrips drawn[kBandCount];
};

inline Viewport makeViewport(uint16_t width, uint16_t height, uint32_t* colorBuffer, float* depthBuffer) {
    Viewport viewport = {width,
                         height,
                         static_cast<int16_t>(width / 2),
                         static_cast<int16_t>(height / 2),
                         kDepthOffset,
                         colorBuffer,
                         depthBuffer,
                         {}};
    const int bandRows = height / kBandCount;
    for (DrawnStrips& band : viewport.drawn) {
        band.stripRows = bandRows > kStripsPerBand ? (bandRows + kStripsPerBand - 1) / kStripsPerBand : 1;
        for (ColumnSpan& strip : band.columns) strip = {0, static_cast<int16_t>(width)};
    }
    return viewport;
}

}  // namespace quorvel
