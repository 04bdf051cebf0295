#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "os/process_info.h"
#include "quorvel/shell.h"

namespace quorvel {

namespace {

using Clock = std::chrono::steady_clock;

double secondsBetween(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double>(end - start).count();
}

// Frames counted since the last report, and where their time went, printed once a second
// with --fps.
struct FrameRate {
    Clock::time_point since = Clock::now();
    int frames = 0;
    double drawing = 0.0, presenting = 0.0;  // seconds
};

// False when the report could not be written.
bool countFrame(FrameRate& rate, bool fullSpeed, double drawing, double presenting) {
    ++rate.frames;
    rate.drawing += drawing;
    rate.presenting += presenting;
    const double seconds = secondsBetween(rate.since, Clock::now());
    if (seconds < 1.0) return true;
    const double perFrame = 1000.0 / rate.frames;  // milliseconds a frame per second in all
    const bool written =
        std::printf("%.1f frames/s, %s; a frame: drawing %.3f ms, presenting %.3f ms, the rest %.3f ms\n",
                    rate.frames / seconds, fullSpeed ? "full speed" : "idle (1 ms after each frame)",
                    rate.drawing * perFrame, rate.presenting * perFrame,
                    (seconds - rate.drawing - rate.presenting) * perFrame) >= 0 &&
        std::fflush(stdout) == 0;
    rate = {};
    return written;
}

// Standard output refused the frame rate: said once, status 1; a reader that went away ends
// the program quietly, as the signal does where there is one.
int frameRateNotWritten(const WriteFailure& failure) {
    if (failedOnClosedPipe(failure)) return kClosedPipeStatus;
    std::fprintf(stderr, "quorvel: cannot write the frame rate: %s\n",
                 std::strerror(failure.error != 0 ? failure.error : EIO));
    return 1;
}

}  // namespace

int runMainLoop(Shell& shell) {
    FrameRate rate;
    for (;;) {
        const Clock::time_point start = Clock::now();
        const DrawnFrame frame = renderFrame(*shell.scene, shell.frames, shell.renderPath);
        const Clock::time_point drawn = Clock::now();
        const Viewport& viewport = shell.frames.viewport;
        std::string error;
        if (!present(*shell.window, frame.pixels, viewport.width, viewport.height, frame.changed, error)) {
            std::fprintf(stderr, "quorvel: %s\n", error.c_str());
            return 1;
        }
        const Clock::time_point presented = Clock::now();
        if (!shell.fullSpeed) sleepMilliseconds(1);
        if (shell.showFrameRate && !countFrame(rate, shell.fullSpeed, secondsBetween(start, drawn),
                                               secondsBetween(drawn, presented)))
            return frameRateNotWritten(lastWriteFailure());
        // Every event queued by now is handled, so that a flood of them (mouse motion)
        // never keeps Escape waiting for more than a frame.
        gatherEvents(*shell.window);
        WindowEvent event;
        while (nextEvent(*shell.window, event)) handleWindowEvent(shell, event);
        if (shell.quitPosted) return 0;
    }
}

}  // namespace quorvel
