#pragma once

#include "quorvel-render/render_options.h"

namespace quorvel {

// Renders and writes what `options` asks for; returns the process exit status: 0; 2 after
// one line on stderr naming a folder or file it was told to write that cannot be written
// there (a folder in the way, no room for its hidden temporary's name, a folder that takes no
// files), or refusing to stream frames onto a terminal, found before anything is drawn; 1
// after one line when writing fails after that check (a full disk), standard output refused
// what was written, or memory ran out; 141, quietly, when the reader of standard output went
// away.
int runRender(const RenderOptions& options);

}  // namespace quorvel
