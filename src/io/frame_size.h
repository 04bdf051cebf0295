#pragma once

#include <string>

namespace quorvel {

// The largest side a --size may ask for, in either program or a benchmark. The window's own
// size, the screen's less a margin, is not held to it.
inline constexpr int kMaxFrameSide = 16384;

// A frame size as written on a command line: "WxH", both sides even, 2 to kMaxFrameSide,
// digits only. False, leaving the sides alone, for anything else.
bool parseFrameSize(const std::string& text, int& width, int& height);

}  // namespace quorvel
