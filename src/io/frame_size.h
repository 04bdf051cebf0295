#pragma once

#include <string>

namespace quorvel {

// The largest side of a frame either program draws or a benchmark times.
inline constexpr int kMaxFrameSide = 16384;

// A frame size as written on a command line: "WxH", both sides even, 2 to kMaxFrameSide,
// digits only. False, leaving the sides alone, for anything else.
bool parseFrameSize(const std::string& text, int& width, int& height);

}  // namespace quorvel
