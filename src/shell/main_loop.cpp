#include <cstdio>
#include <string>

#include "shell/shell.h"

namespace quorvel {

int runMainLoop(Shell& shell) {
    for (;;) {
        const ChangedArea changed = renderFrame(shell.scene, shell.viewport, shell.frames, shell.renderPath);
        std::string error;
        if (!present(shell.viewport.colorBuffer, shell.viewport.width, shell.viewport.height, changed,
                     error)) {
            std::fprintf(stderr, "quorvel: %s\n", error.c_str());
            return 1;
        }
        if (!shell.fullSpeed) sleepMilliseconds(1);
        // Input is sampled once a frame: the quit request is taken only when no event is
        // queued ahead of it.
        WindowEvent event;
        if (nextEvent(event)) {
            handleWindowEvent(shell, event);
        } else if (shell.quitPosted) {
            return 0;
        }
    }
}

}  // namespace quorvel
