#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "frame/viewport.h"
#include "io/frame_size.h"
#include "os/pages.h"

// The benchmarks' drawing area from a WxH argument (both even, 2 to 16384); prints one line
// naming `program` and returns false when the argument is not such a size.
inline bool parseBenchSize(const char* program, const char* argument, int& width, int& height) {
    if (quorvel::parseFrameSize(argument, width, height)) return true;
    std::fprintf(stderr, "%s: size must be WxH, both even, 2 to 16384\n", program);
    return false;
}

// A drawing area with buffers from the same page allocator the programs use.
struct Canvas {
    quorvel::Viewport viewport{};
    size_t bytes = 0;

    bool allocate(int width, int height) {
        bytes = sizeof(uint32_t) * size_t(width) * size_t(height);
        auto* color = static_cast<uint32_t*>(quorvel::allocatePages(bytes));
        auto* depth = static_cast<float*>(quorvel::allocatePages(bytes));
        auto* faces = static_cast<uint8_t*>(quorvel::allocatePages(bytes / sizeof(uint32_t)));
        viewport = quorvel::makeViewport(uint16_t(width), uint16_t(height), color, depth, faces);
        return color != nullptr && depth != nullptr && faces != nullptr;
    }
};
