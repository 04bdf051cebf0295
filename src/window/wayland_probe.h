#pragma once

#include <string>

namespace quorvel {

// Connects to the announced Wayland compositor and looks for an input seat. SDL before
// 2.30 crashes while starting on a compositor without one, so such a compositor is refused
// with `why` instead. False also when no compositor answers.
bool waylandCompositorUsable(std::string& why);

}  // namespace quorvel
