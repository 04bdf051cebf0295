#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

#include "window/shown_frame.h"
#include "window/surface_presenter.h"
#include "window/wayland_presenter.h"
#include "window/wayland_probe.h"
#include "window/window.h"
#include "window/x11_presenter.h"

namespace quorvel {

// An SDL window; frames go through our own presenters on X11 and Wayland, elsewhere (and
// where a Wayland compositor lacks what ours needs) through SDL's window surface.
struct DesktopWindow {
    SDL_Window* sdl = nullptr;
    X11Presenter* x11 = nullptr;
    WaylandPresenter* waylandFrames = nullptr;
    // The Wayland connection, to tell a lost compositor from a quit request; null on X11.
    wl_display* wayland = nullptr;
    bool fullscreen = false;
    ShownFrame shown;
};

namespace {

bool asksForContents(const SDL_Event& event) {
    if (event.type != SDL_WINDOWEVENT) return false;
    const Uint8 what = event.window.event;
    return what == SDL_WINDOWEVENT_EXPOSED || what == SDL_WINDOWEVENT_SHOWN ||
           what == SDL_WINDOWEVENT_RESTORED || what == SDL_WINDOWEVENT_SIZE_CHANGED ||
           what == SDL_WINDOWEVENT_RESIZED;
}

bool isNamed(const char* driver, const char* name) {
    return driver != nullptr && SDL_strcasecmp(driver, name) == 0;
}

// Drivers that draw into memory no one sees.
bool showsNoWindow(const char* driver) { return isNamed(driver, "dummy") || isNamed(driver, "offscreen"); }

std::string x11Attempt(int initError) {
    const char* display = SDL_getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return "no X display is set";
    if (initError == ENOMEM) return std::string("out of memory while connecting to X display ") + display;
    return std::string("cannot connect to X display ") + display;
}

// One driver of the list; false with `why` when it cannot start or would show nothing.
bool startDriver(const std::string& driver, bool listGiven, std::string& why) {
    if (showsNoWindow(driver.c_str())) {
        why = "SDL video driver " + driver + " shows no window";
        return false;
    }
    // Unasked, Wayland is tried only where a compositor is announced: the attempt would
    // otherwise complain on stderr. SDL before 2.30 crashes on a compositor without a seat.
    if (isNamed(driver.c_str(), "wayland")) {
        if (!listGiven && SDL_getenv("WAYLAND_DISPLAY") == nullptr) {
            why = "no Wayland compositor is announced";
            return false;
        }
        if (!waylandCompositorUsable(why)) return false;
    }
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, driver.c_str(), SDL_HINT_OVERRIDE);
    // Signals end the program with their own status; SDL would make them a quit request.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    errno = 0;
    if (SDL_Init(SDL_INIT_VIDEO) == 0) return true;
    const int initError = errno;
    why = isNamed(driver.c_str(), "x11") ? x11Attempt(initError)
                                         : "SDL video driver " + driver + ": " + SDL_GetError();
    return false;
}

// Only drivers that show a window on a desktop, each in turn: SDL_VIDEODRIVER's list where
// it is set, else X11 and then Wayland. Without a display SDL would otherwise fall back to
// its offscreen driver and draw into nothing.
bool startDesktopVideo(std::string& error) {
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    const bool listGiven = asked != nullptr && *asked != '\0';
    const std::string list = listGiven ? asked : "x11,wayland";
    error.clear();
    for (size_t start = 0; start <= list.size();) {
        const size_t comma = std::min(list.find(',', start), list.size());
        const std::string driver = list.substr(start, comma - start);
        start = comma + 1;
        if (driver.empty()) continue;
        std::string why;
        if (startDriver(driver, listGiven, why)) {
            if (!showsNoWindow(SDL_GetCurrentVideoDriver())) return true;
            why = std::string("SDL video driver ") + SDL_GetCurrentVideoDriver() + " shows no window";
            SDL_Quit();
        }
        error += (error.empty() ? "" : ", and ") + why;
    }
    if (error.empty()) error = std::string("SDL_VIDEODRIVER='") + list + "' names no video driver";
    return false;
}

// SDL turns a lost Wayland connection into a quit request; the next present says what it is.
bool isWaylandLost(const DesktopWindow& window) {
    return window.wayland != nullptr && wl_display_get_error(window.wayland) != 0;
}

bool onX11() { return std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0; }

// A window manager answers with its frame's size soon after framing a window; without one
// this is never waited for.
constexpr Uint32 kFrameWaitMilliseconds = 250;

WindowFrame bordersOf(SDL_Window* window) {
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) != 0) return {};
    return {left, top, right, bottom};
}

bool isNone(const WindowFrame& frame) {
    return frame.left == 0 && frame.top == 0 && frame.right == 0 && frame.bottom == 0;
}

// A window manager that draws a frame on X11 makes our window a child of the frame before it
// maps it, and SDL has waited for the map: a window still the root's child has no frame.
bool framedOnX11(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return false;
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(info.info.x11.display, info.info.x11.window, &root, &parent, &children, &count) == 0)
        return false;
    if (children != nullptr) XFree(children);
    return parent != root;
}

}  // namespace

bool openDisplay(Desktop& desktop, std::string& error) {
    if (!startDesktopVideo(error)) return false;
    // SDL's default X11 window surface goes through an OpenGL renderer, software OpenGL on
    // machines without a GPU: ten times slower than plain X11. Wayland has only that one.
    if (onX11()) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        error = SDL_GetError();
        SDL_Quit();
        return false;
    }
    desktop.screen = {mode.w, mode.h};
    SDL_Rect usable;
    desktop.usable = SDL_GetDisplayUsableBounds(0, &usable) == 0
                         ? ScreenRect{usable.x, usable.y, usable.w, usable.h}
                         : ScreenRect{0, 0, mode.w, mode.h};
    return true;
}

// Created at a position, the window's frame goes there (SDL cannot know the frame yet);
// placeWindow puts the client area where it is asked to.
DesktopWindow* openWindow(const ScreenRect& client, const char* caption, bool fullscreen,
                          std::string& error) {
    if (onX11()) {
        unsigned long visual = 0;
        if (!chooseX11Visual(visual, error)) return nullptr;
        if (visual != 0) SDL_SetHint(SDL_HINT_VIDEO_X11_WINDOW_VISUALID, std::to_string(visual).c_str());
    }
    auto* window = new DesktopWindow;
    window->fullscreen = fullscreen;
    const Uint32 flags = SDL_WINDOW_SHOWN | (fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    window->sdl = SDL_CreateWindow(caption, client.x, client.y, client.width, client.height, flags);
    if (window->sdl == nullptr) {
        error = SDL_GetError();
        delete window;
        return nullptr;
    }
    // As full-screen players do: nothing to point at covers the picture.
    if (fullscreen) SDL_ShowCursor(SDL_DISABLE);
    return window;
}

// SDL learns an X11 frame's size from the window manager's property as it takes in events.
WindowFrame windowFrame(DesktopWindow& window) {
    if (window.fullscreen) return {};
    if (!onX11()) return bordersOf(window.sdl);
    if (!framedOnX11(window.sdl)) return {};
    const Uint32 deadline = SDL_GetTicks() + kFrameWaitMilliseconds;
    for (;;) {
        SDL_PumpEvents();
        const WindowFrame frame = bordersOf(window.sdl);
        if (!isNone(frame) || SDL_TICKS_PASSED(SDL_GetTicks(), deadline)) return frame;
        SDL_Delay(5);
    }
}

bool placeWindow(DesktopWindow& window, const ScreenRect& client, std::string& error) {
    if (!window.fullscreen) {
        int width = 0, height = 0, x = 0, y = 0;
        SDL_GetWindowSize(window.sdl, &width, &height);
        if (width != client.width || height != client.height)
            SDL_SetWindowSize(window.sdl, client.width, client.height);
        SDL_GetWindowPosition(window.sdl, &x, &y);
        if (x != client.x || y != client.y) SDL_SetWindowPosition(window.sdl, client.x, client.y);
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    const bool known = SDL_GetWindowWMInfo(window.sdl, &info) == SDL_TRUE;
    if (!onX11()) {
        if (!known || info.subsystem != SDL_SYSWM_WAYLAND) return surfaceShowsOurPixels(window.sdl, error);
        window.wayland = info.info.wl.display;
        std::string why;
        window.waylandFrames = openWaylandPresenter(info.info.wl.display, info.info.wl.surface, client.width,
                                                    client.height, why);
        if (window.waylandFrames != nullptr) return true;
        if (isWaylandLost(window)) {
            error = why;
            return false;
        }
        std::fprintf(stderr, "quorvel: %s; showing frames through SDL instead, far slower\n", why.c_str());
        return surfaceShowsOurPixels(window.sdl, error);
    }
    if (!known || info.subsystem != SDL_SYSWM_X11) {
        error = "the window is not an X11 window";
        return false;
    }
    window.x11 =
        openX11Presenter(info.info.x11.display, info.info.x11.window, client.width, client.height, error);
    if (window.x11 == nullptr) return false;
    // SDL takes every X event off the connection, the server's completions included: as
    // window-system events they reach the presenter through nextEvent.
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    return true;
}

int sharedFrames(DesktopWindow& window, uint32_t* (&frames)[kMaxSharedFrames]) {
    if (window.waylandFrames != nullptr) return waylandSharedFrames(*window.waylandFrames, frames);
    return window.x11 != nullptr ? x11SharedFrames(*window.x11, frames) : 0;
}

bool awaitSharedFrame(DesktopWindow& window, int index, bool& free, std::string& error) {
    free = true;
    if (window.x11 != nullptr) return awaitX11Image(*window.x11, index, error);
    return window.waylandFrames == nullptr || awaitWaylandBuffer(*window.waylandFrames, index, free, error);
}

// A lost compositor is told by the next present.
void awaitRefresh(DesktopWindow& window) {
    std::string ignored;
    if (window.waylandFrames != nullptr) awaitWaylandRefresh(*window.waylandFrames, ignored);
}

bool present(DesktopWindow& window, const uint32_t* pixels, int width, int height, const ChangedArea& changed,
             std::string& error) {
    if (isWaylandLost(window)) {
        error = "lost the connection to the Wayland compositor";
        return false;
    }
    const bool whole = window.shown.wholeFrameNeeded;
    const ChangedArea area = takeAreaToSend(window.shown, changed, width, height);
    if (window.x11 != nullptr) {
        int windowWidth = width, windowHeight = height;
        SDL_GetWindowSize(window.sdl, &windowWidth, &windowHeight);
        return presentX11(*window.x11, pixels, area, windowWidth, windowHeight, whole, error);
    }
    if (window.waylandFrames != nullptr) return presentWayland(*window.waylandFrames, pixels, area, error);
    if (area.count == 0 && !whole) return true;
    return presentThroughSurface(window.sdl, pixels, width, height, area, whole, error);
}

void gatherEvents(DesktopWindow&) { SDL_PumpEvents(); }

bool nextEvent(DesktopWindow& window, WindowEvent& event) {
    SDL_Event sdl;
    if (SDL_PeepEvents(&sdl, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) <= 0) return false;
    if (asksForContents(sdl)) noteContentsLost(window.shown);
    if (sdl.type == SDL_SYSWMEVENT && window.x11 != nullptr && sdl.syswm.msg->subsystem == SDL_SYSWM_X11)
        noteX11Event(*window.x11, sdl.syswm.msg->msg.x11.event);
    event = {WindowEventKind::Other, 0};
    if (sdl.type == SDL_KEYDOWN) {
        const SDL_Keycode key = sdl.key.keysym.sym;
        event = {WindowEventKind::KeyDown, key == SDLK_SPACE    ? kKeySpace
                                           : key == SDLK_ESCAPE ? kKeyEscape
                                                                : -1};
    } else if ((sdl.type == SDL_QUIT && !isWaylandLost(window)) ||
               (sdl.type == SDL_WINDOWEVENT && sdl.window.event == SDL_WINDOWEVENT_CLOSE)) {
        event.kind = WindowEventKind::Destroyed;
    }
    return true;
}

void sleepMilliseconds(int milliseconds) { SDL_Delay(static_cast<Uint32>(milliseconds)); }

void sleepUntil(std::chrono::steady_clock::time_point deadline) { std::this_thread::sleep_until(deadline); }

void showError(const char* text) { SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", text, nullptr); }

// The X11 presenter goes after the window: destroying a window another program already
// destroyed is an X error, and the presenter's handler must still be there to take it. The
// Wayland one goes before SDL closes the connection.
void closeWindow(DesktopWindow* window) {
    if (window != nullptr) {
        SDL_DestroyWindow(window->sdl);
        closeX11Presenter(window->x11);
        closeWaylandPresenter(window->waylandFrames);
        delete window;
    }
    SDL_Quit();
}

}  // namespace quorvel
