#pragma once

#include <cstdio>

#include "frame/frame_buffers.h"
#include "io/frame_size.h"

// The benchmarks' drawing area from a WxH argument (both even, 2 to kMaxFrameSide); prints one line
// naming `program` and returns false when the argument is not such a size.
inline bool parseBenchSize(const char* program, const char* argument, int& width, int& height) {
    if (quorvel::parseFrameSize(argument, width, height)) return true;
    std::fprintf(stderr, "%s: size must be WxH, both even, 2 to %d\n", program, quorvel::kMaxFrameSide);
    return false;
}

// A drawing area with buffers from the same page allocator the programs use.
struct Canvas {
    quorvel::FrameBuffers buffers;
    quorvel::Viewport viewport{};

    bool allocate(int width, int height) {
        if (!quorvel::allocateFrameBuffers(width, height, 1, buffers)) return false;
        viewport = quorvel::viewportOf(buffers);
        return true;
    }
};
