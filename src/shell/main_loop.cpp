#include "shell/shell.h"

namespace quorvel {

void runMainLoop(Shell& shell) {
    for (;;) {
        const PixelRect changed = renderFrame(shell.scene, shell.viewport, shell.frames, shell.renderPath);
        present(shell.viewport.colorBuffer, shell.viewport.width, shell.viewport.height, changed);
        if (!shell.fullSpeed) sleepMilliseconds(1);
        // Input is sampled once a frame: the quit request is taken only when no event is
        // queued ahead of it.
        WindowEvent event;
        if (nextEvent(event)) {
            handleWindowEvent(shell, event);
        } else if (shell.quitPosted) {
            return;
        }
    }
}

}  // namespace quorvel
