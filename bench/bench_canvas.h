#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "frame/viewport.h"
#include "platform/os/pages.h"

// The benchmarks' drawing area from a WxH argument (both even, 2 to 16384); prints one line
// naming `program` and returns false when the argument is not such a size.
inline bool parseBenchSize(const char* program, const char* argument, int& width, int& height) {
    if (std::sscanf(argument, "%dx%d", &width, &height) == 2 && width >= 2 && height >= 2 && width <= 16384 &&
        height <= 16384 && width % 2 == 0 && height % 2 == 0) {
        return true;
    }
    std::fprintf(stderr, "%s: size must be WxH, both even, 2 to 16384\n", program);
    return false;
}

// A drawing area with buffers from the same page allocator the programs use.
struct Canvas {
    quorvel::Viewport viewport{};
    size_t bytes = 0;

    bool allocate(int width, int height) {
        bytes = sizeof(uint32_t) * size_t(width) * size_t(height);
        auto* colour = static_cast<uint32_t*>(quorvel::allocatePages(bytes));
        auto* depth = static_cast<float*>(quorvel::allocatePages(bytes));
        viewport = quorvel::makeViewport(uint16_t(width), uint16_t(height), colour, depth);
        return colour != nullptr && depth != nullptr;
    }
};
