#include <chrono>
#include <cstdio>
#include <string>

#include "quorvel/shell.h"

namespace quorvel {

namespace {

using Clock = std::chrono::steady_clock;

// Frames counted since the last report, printed once a second with --fps.
struct FrameRate {
    Clock::time_point since = Clock::now();
    int frames = 0;
};

void countFrame(FrameRate& rate, bool fullSpeed) {
    ++rate.frames;
    const double seconds = std::chrono::duration<double>(Clock::now() - rate.since).count();
    if (seconds < 1.0) return;
    std::printf("%.1f frames/s, %s\n", rate.frames / seconds,
                fullSpeed ? "full speed" : "idle (1 ms after each frame)");
    std::fflush(stdout);
    rate = {};
}

}  // namespace

int runMainLoop(Shell& shell) {
    FrameRate rate;
    for (;;) {
        const Viewport& viewport = shell.viewports[shell.nextViewport];
        shell.nextViewport = (shell.nextViewport + 1) % shell.viewportCount;
        const ChangedArea changed = renderFrame(*shell.scene, viewport, shell.frames, shell.renderPath);
        std::string error;
        if (!present(*shell.window, viewport.colorBuffer, viewport.width, viewport.height, changed, error)) {
            std::fprintf(stderr, "quorvel: %s\n", error.c_str());
            return 1;
        }
        if (!shell.fullSpeed) sleepMilliseconds(1);
        if (shell.showFrameRate) countFrame(rate, shell.fullSpeed);
        // Every event queued by now is handled, so that a flood of them (mouse motion)
        // never keeps Escape waiting for more than a frame.
        gatherEvents(*shell.window);
        WindowEvent event;
        while (nextEvent(*shell.window, event)) handleWindowEvent(shell, event);
        if (shell.quitPosted) return 0;
    }
}

}  // namespace quorvel
