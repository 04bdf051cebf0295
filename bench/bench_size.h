#pragma once

#include <cstdio>

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
