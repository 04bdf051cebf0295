#include <algorithm>

#include "pipeline/drawn_area.h"
#include "shell/shell.h"

namespace quorvel {
namespace {

bool isEmpty(const PixelRect& rect) { return rect.top >= rect.bottom || rect.left >= rect.right; }

// What a frame can change on screen: where the frame before it drew, cleared now, and
// where it draws.
FrameRegion changedRegion(const PixelRect& before, const PixelRect& after) {
    if (isEmpty(before)) return {after.top, after.bottom, after.left, after.right};
    if (isEmpty(after)) return {before.top, before.bottom, before.left, before.right};
    return {std::min(before.top, after.top), std::max(before.bottom, after.bottom),
            std::min(before.left, after.left), std::max(before.right, after.right)};
}

}  // namespace

void runMainLoop(Shell& shell) {
    Viewport& viewport = shell.viewport;
    for (;;) {
        const PixelRect before = drawnBounds(viewport);
        renderFrame(shell.scene, shell.animation, viewport, shell.renderPath);
        advanceFrameCounter(shell.animation);
        present(viewport.colorBuffer, viewport.width, viewport.height,
                changedRegion(before, drawnBounds(viewport)));
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
