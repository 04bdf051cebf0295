#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "frame/frame_driver.h"
#include "window/window.h"

namespace quorvel {

inline constexpr char kCaption[] = "Quorvel, press space -> speed - full/idle ";

// What the command line asks of the window.
struct WindowOptions {
    const ApproxModel* approx = &defaultApprox();
    int width = 0, height = 0;   // the drawing area; 0 x 0: from the desktop's space
    bool fullscreen = false;     // the window covers the screen
    int maxFps = 0;              // at most this many frames a second; 0: no cap
    bool showFrameRate = false;  // --fps
    // --threads: -1 when not given (two workers started for each frame, on processors 0 and
    // 1); 0 one per processor this process may run on; else that many, in a pool.
    int threads = -1;
    // A start-up failure is also shown in a message box, which waits for a click: only where
    // someone launched the program from the desktop (--error-box, which the desktop entry
    // passes, or a Windows launch with nowhere to print), never in a run nobody watches.
    bool errorBox = false;
};

// The windowed program's state, one for the whole run: what start-up made and the loop
// goes on with.
struct Shell {
    DesktopWindow* window;
    const PreparedScene* scene;
    // Frames go into the window's own frames in turn where it offers them, so that the next
    // frame is drawn while the window system reads the last one.
    FrameState frames;
    RenderPath renderPath;
    bool fullSpeed = true;  // false: at most maxFps frames a second, or without a cap idle
    int maxFps = 0;
    bool quitPosted = false;
    bool showFrameRate = false;
};

// The drawing area for the space the desktop leaves for windows less the window manager's
// frame: 10 pixels smaller each way, rounded down to even. False when that leaves none.
bool drawingAreaFor(const ScreenRect& usable, const WindowFrame& frame, int& width, int& height);
// The drawing area of a full-screen window: the screen, rounded down to even and held to the
// frame-size limit. False when that leaves none.
bool fullscreenDrawingArea(const ScreenSize& screen, int& width, int& height);
// Where a client area of width x height goes: its window, frame included, at the top-left
// of the usable area, so that all of it shows where it fits and its top-left part where not.
ScreenRect clientAreaFor(const ScreenRect& usable, const WindowFrame& frame, int width, int height);

// Space toggles the pacing between flat out and idle, or the cap where there is one (every
// auto-repeat toggles again), Escape or closing the window posts the quit request,
// everything else is ignored.
void handleWindowEvent(Shell& shell, const WindowEvent& event);

// When the next frame is due under a cap of `maxFps` frames a second, the one before having
// been due at `due`: a period later, or `now` where that has passed (a late frame moves the
// slots on; no burst of frames makes up for it).
std::chrono::steady_clock::time_point nextFrameSlot(std::chrono::steady_clock::time_point due,
                                                    std::chrono::steady_clock::time_point now, int maxFps);

// One frame per iteration: render, present, pace, and handle every event queued by then.
// A frame whose shared frame the window system still holds after the longest wait is not
// drawn that time round; the events are handled all the same.
// Returns 0 once the quit has been requested; 1 after saying on stderr that the window or
// the display has gone, or that the frame rate could not be written; 141, quietly, when
// the frame rate's reader went away.
int runMainLoop(Shell& shell);

// --help and --version print and end with 0, a bad command line is one line on stderr and
// 2. kOpenTheWindow, with `options` filled in, when the window is next.
inline constexpr int kOpenTheWindow = -1;
int handleCommandLine(const std::vector<std::string>& arguments, WindowOptions& options);

// Opens the window, prepares the scene, runs the loop and closes the window; returns the
// process exit status, after one line on stderr naming the cause of any failure.
int startup(const WindowOptions& options);

}  // namespace quorvel
