#pragma once

#include "quorvel-render/render_options.h"

namespace quorvel {

// Renders and writes what `options` asks for; returns the process exit status: 0; 2 after
// one line on stderr naming a folder it was told to write into (or the folder of a file it
// was told to write) that cannot take files, found before anything is written; 1 after one
// line when writing a file fails after that check (a full disk, a folder in the way),
// standard output refused what was written, or memory ran out; 141, quietly, when the
// reader of standard output went away.
int runRender(const RenderOptions& options);

}  // namespace quorvel
