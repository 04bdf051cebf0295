#include <cstdio>
#include <string>

#include "quorvel/shell.h"

namespace quorvel {

int runMainLoop(Shell& shell) {
    for (;;) {
        const ChangedArea changed = renderFrame(*shell.scene, shell.viewport, shell.frames, shell.renderPath);
        std::string error;
        if (!present(*shell.window, shell.viewport.colorBuffer, shell.viewport.width, shell.viewport.height,
                     changed, error)) {
            std::fprintf(stderr, "quorvel: %s\n", error.c_str());
            return 1;
        }
        if (!shell.fullSpeed) sleepMilliseconds(1);
        // Every event queued by now is handled, so that a flood of them (mouse motion)
        // never keeps Escape waiting for more than a frame.
        gatherEvents(*shell.window);
        WindowEvent event;
        while (nextEvent(*shell.window, event)) handleWindowEvent(shell, event);
        if (shell.quitPosted) return 0;
    }
}

}  // namespace quorvel
