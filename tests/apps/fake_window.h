#pragma once

#include <chrono>
#include <deque>
#include <string>
#include <vector>

#include "window/window.h"

namespace quorvel {

// A window system that exists only in memory, linked in place of the real one: the test
// says what it does, and reads afterwards what the program did with it.
struct FakeDesktop {
    // What it does.
    std::string displayError;  // openDisplay fails with it when set
    ScreenSize screen{74, 58};
    ScreenRect usable{};  // the space left for windows; all of the screen when empty
    WindowFrame frame{};
    std::string windowError;                           // openWindow fails with it when set
    std::string placeError;                            // placeWindow fails with it when set
    int sharedFramesOffered = 0;                       // as X11 with MIT-SHM offers two, Wayland three
    int heldAwaits = 0;                                // awaits of a shared frame that find it still held
    std::chrono::milliseconds awaitTakes{0};           // each await of a shared frame lasts this long
    std::deque<std::vector<WindowEvent>> eventBursts;  // one burst arrives at each gathering
    int presentFailsAfter = -1;                        // presents that succeed before the window goes
    bool presentThrows = false;                        // the first present throws std::bad_alloc

    // What it saw.
    int windowsOpened = 0;
    ScreenRect opened{}, placed{};  // the client area asked for by openWindow, by placeWindow
    bool openedFullscreen = false;
    int presents = 0;
    int sleeps = 0;
    int refreshesAwaited = 0;
    std::vector<int> sharedFramesAwaited;  // each awaitSharedFrame's index
    std::vector<std::chrono::steady_clock::time_point> sleptUntil;
    int errorBoxes = 0;
    int displaysClosed = 0;
    // Each present: which of the window's shared frames it was of (-1 for the program's own
    // pixels), and the frame's hash.
    std::vector<int> framesPresented;
    std::vector<uint64_t> hashesPresented;
    ScreenSize presentedSize{};  // of the last frame presented
};

// The one desktop of the test process, made anew for each test.
FakeDesktop& fakeDesktop();
void resetFakeDesktop();

}  // namespace quorvel
