#pragma once

#include <string>

#include "numeric/pixel_rect.h"

namespace quorvel {

// A frame size as written on a command line: "WxH", both sides even, 2 to kMaxFrameSide,
// digits only. False, leaving the sides alone, for anything else.
bool parseFrameSize(const std::string& text, int& width, int& height);

}  // namespace quorvel
