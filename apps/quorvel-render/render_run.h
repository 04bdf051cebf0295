#pragma once

#include "quorvel-render/render_options.h"

namespace quorvel {

// Renders and writes what `options` asks for; returns the process exit status: 0; 1 after
// one line on stderr when standard output refused what was written or memory ran out; 2
// after one line naming the file or folder that could not be written, or refusing to stream
// frames onto a terminal, found before anything is drawn; 141, quietly, when
// the reader of standard output went away.
int runRender(const RenderOptions& options);

}  // namespace quorvel
