#pragma once

#include "quorvel-render/render_options.h"

namespace quorvel {

// Renders and writes what `options` asks for; returns the process exit status
// (0, or 2 after one line on stderr naming the problem).
int runRender(const RenderOptions& options);

}  // namespace quorvel
