#include "shell/shell.h"

namespace quorvel {

void runMainLoop(Shell& shell) {
    Viewport& viewport = shell.viewport;
    for (;;) {
        renderFrame(shell.scene, shell.animation, viewport, shell.renderPath);
        advanceFrameCounter(shell.animation);
        present(viewport.colorBuffer, viewport.width, viewport.height);
        if (!shell.fullSpeed) sleepMilliseconds(1);
        // Input is sampled once a frame: the quit request is taken only when no event is
        // queued ahead of it.
        WindowEvent event;
        if (nextEvent(event)) {
            windowProc(shell, event);
        } else if (shell.quitPosted) {
            return;
        }
    }
}

}  // namespace quorvel
