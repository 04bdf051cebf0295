#pragma once

#include "pipeline/viewport.h"

namespace quorvel {

// Writes the clear values over the strips of both buffers where the last frame drew, the
// only places that differ from them, and then marks every strip as clear.
void clearDrawnArea(Viewport& viewport);

}  // namespace quorvel
