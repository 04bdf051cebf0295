#pragma once

#include <algorithm>

namespace quorvel {

// The longest side of a frame that either program draws or a benchmark times, and the one
// limit both programs check: pixel positions are signed 16-bit (projected points, the drawn
// strips' columns), and a frame twice as wide would overflow them.
inline constexpr int kMaxFrameSide = 16384;

// Rows top..bottom-1 and columns left..right-1 of a frame; empty when either range is.
// The one rectangle of every layer: a band's clip, where a frame drew, what to present.
struct PixelRect {
    int top, bottom, left, right;
};

inline bool isEmpty(const PixelRect& rect) { return rect.top >= rect.bottom || rect.left >= rect.right; }

// The smallest rectangle holding both.
inline PixelRect enclosing(const PixelRect& a, const PixelRect& b) {
    if (isEmpty(a)) return b;
    if (isEmpty(b)) return a;
    return {std::min(a.top, b.top), std::max(a.bottom, b.bottom), std::min(a.left, b.left),
            std::max(a.right, b.right)};
}

}  // namespace quorvel
