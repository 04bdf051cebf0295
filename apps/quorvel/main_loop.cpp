#include <algorithm>
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
    double drawing = 0.0, presenting = 0.0, waiting = 0.0;  // seconds
};

// Where one turn of the loop spent its time, in seconds.
struct TurnTimes {
    double waiting;  // for the window system to hand back the frame drawn into next
    double drawing;
    double presenting;  // sending the frame, our own work
};

std::string pacingOf(const Shell& shell) {
    if (shell.fullSpeed) return "full speed";
    if (shell.maxFps > 0) return "capped at " + std::to_string(shell.maxFps);
    return "idle (1 ms after each frame)";
}

// Counts a turn of the loop, which drew a frame unless `drew` is false; once a second prints
// the report. False when the report could not be written.
bool countFrame(FrameRate& rate, const Shell& shell, bool drew, const TurnTimes& turn) {
    rate.frames += drew ? 1 : 0;
    rate.drawing += turn.drawing;
    rate.presenting += turn.presenting;
    rate.waiting += turn.waiting;
    const double seconds = secondsBetween(rate.since, Clock::now());
    if (seconds < 1.0) return true;
    const double perFrame = 1000.0 / rate.frames;  // milliseconds a frame per second in all
    const int said =
        rate.frames == 0
            ? std::printf("0.0 frames/s, %s; the window system has handed back no frame to draw into\n",
                          pacingOf(shell).c_str())
            : std::printf(
                  "%.1f frames/s, %s; a frame: drawing %.3f ms, presenting %.3f ms, waiting for the "
                  "window system %.3f ms, the rest %.3f ms\n",
                  rate.frames / seconds, pacingOf(shell).c_str(), rate.drawing * perFrame,
                  rate.presenting * perFrame, rate.waiting * perFrame,
                  (seconds - rate.drawing - rate.presenting - rate.waiting) * perFrame);
    rate = {};
    return said >= 0 && std::fflush(stdout) == 0;
}

// Standard output refused the frame rate: said once, status 1; a reader that went away ends
// the program quietly, as the signal does where there is one.
int frameRateNotWritten(const WriteFailure& failure) {
    if (failedOnClosedPipe(failure)) return kClosedPipeStatus;
    std::fprintf(stderr, "quorvel: cannot write the frame rate: %s\n",
                 std::strerror(failure.error != 0 ? failure.error : EIO));
    return 1;
}

int windowGone(const std::string& error) {
    std::fprintf(stderr, "quorvel: %s\n", error.c_str());
    return 1;
}

}  // namespace

Clock::time_point nextFrameSlot(Clock::time_point due, Clock::time_point now, int maxFps) {
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) / maxFps;
    return std::max(due + period, now);
}

int runMainLoop(Shell& shell) {
    FrameRate rate;
    Clock::time_point due = Clock::now();
    for (;;) {
        const Clock::time_point start = Clock::now();
        std::string error;
        bool free = true;
        if (!awaitSharedFrame(*shell.window, shell.frames.nextColorBuffer, free, error))
            return windowGone(error);
        const Clock::time_point ready = Clock::now();
        Clock::time_point drawn = ready, presented = ready;
        if (free) {
            const DrawnFrame frame = renderFrame(*shell.scene, shell.frames, shell.renderPath);
            drawn = Clock::now();
            const Viewport& viewport = shell.frames.viewport;
            if (!present(*shell.window, frame.pixels, viewport.width, viewport.height, frame.changed, error))
                return windowGone(error);
            presented = Clock::now();
            if (!shell.fullSpeed && shell.maxFps > 0) {
                due = nextFrameSlot(due, presented, shell.maxFps);
                sleepUntil(due);
            } else if (!shell.fullSpeed) {
                awaitRefresh(*shell.window);
                sleepMilliseconds(1);
            }
        }
        // Waiting for the window system to hand a frame back is told apart from presenting:
        // it is the window system's own pace (a compositor busy compositing), not our cost.
        const TurnTimes turn{secondsBetween(start, ready), secondsBetween(ready, drawn),
                             secondsBetween(drawn, presented)};
        if (shell.showFrameRate && !countFrame(rate, shell, free, turn))
            return frameRateNotWritten(lastWriteFailure(stdout));
        // Every event queued by now is handled, so that a flood of them (mouse motion)
        // never keeps Escape waiting for more than a frame.
        gatherEvents(*shell.window);
        WindowEvent event;
        while (nextEvent(*shell.window, event)) handleWindowEvent(shell, event);
        if (shell.quitPosted) return 0;
    }
}

}  // namespace quorvel
