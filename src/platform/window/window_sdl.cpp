#include <SDL.h>
#include <SDL_syswm.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/window/wayland_probe.h"
#include "platform/window/window.h"
#include "platform/window/x11_frame.h"

namespace quorvel {
namespace {

// The one window of the process.
SDL_Window* window = nullptr;
// On X11 frames go through our own X11 code; elsewhere through SDL's window surface.
bool onX11 = false;
// The window may not hold the last frame shown: until the first present, or after the
// window system asked for its contents again or changed its size.
bool wholeFrameNeeded = true;
// The Wayland connection, to tell a lost compositor from a quit request; null on X11.
wl_display* waylandDisplay = nullptr;

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

// Rows and columns of `region` inside both the frame and the window surface.
PixelRect clipToSurface(const PixelRect& region, const SDL_Surface& surface) {
    return {region.top, std::min(region.bottom, surface.h), region.left, std::min(region.right, surface.w)};
}

// Copies `region` of our pixels into the window surface, converting where its format
// differs from ours.
bool copyToSurface(SDL_Surface& surface, const uint32_t* pixels, int width, const PixelRect& region) {
    const int rowBytes = width * 4;
    const uint32_t* source = pixels + static_cast<size_t>(region.top) * static_cast<size_t>(width) +
                             static_cast<size_t>(region.left);
    auto* destination = static_cast<uint8_t*>(surface.pixels) +
                        static_cast<size_t>(region.top) * static_cast<size_t>(surface.pitch) +
                        static_cast<size_t>(region.left) * surface.format->BytesPerPixel;
    const int columns = region.right - region.left, rows = region.bottom - region.top;
    if (surface.format->format == SDL_PIXELFORMAT_RGB888) {
        for (int row = 0; row < rows; ++row)
            std::memcpy(destination + static_cast<size_t>(row) * static_cast<size_t>(surface.pitch),
                        source + static_cast<size_t>(row) * static_cast<size_t>(width),
                        static_cast<size_t>(columns) * 4);
        return true;
    }
    return SDL_ConvertPixels(columns, rows, SDL_PIXELFORMAT_RGB888, source, rowBytes, surface.format->format,
                             destination, surface.pitch) == 0;
}

// The part of the surface right of and below a width x height frame.
void blackenOutside(SDL_Surface& surface, int width, int height) {
    const Uint32 black = SDL_MapRGB(surface.format, 0, 0, 0);
    const SDL_Rect right = {width, 0, surface.w - width, surface.h};
    const SDL_Rect below = {0, height, std::min(width, surface.w), surface.h - height};
    if (right.w > 0) SDL_FillRect(&surface, &right, black);
    if (below.h > 0) SDL_FillRect(&surface, &below, black);
}

bool presentThroughSurface(const uint32_t* pixels, int width, int height, const ChangedArea& area,
                           std::string& error) {
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) {
        error = std::string("the window has no surface to draw in: ") + SDL_GetError();
        return false;
    }
    for (int i = 0; i < area.count; ++i) {
        const PixelRect shown = clipToSurface(area.rects[i], *surface);
        if (!isEmpty(shown) && !copyToSurface(*surface, pixels, width, shown)) {
            error = std::string("cannot convert the frame for the window: ") + SDL_GetError();
            return false;
        }
    }
    if (wholeFrameNeeded) blackenOutside(*surface, width, height);
    // The whole surface goes to the window: sending SDL only the changed rectangle left
    // stale pixels on screen under an X server without shared memory.
    if (SDL_UpdateWindowSurface(window) != 0) {
        error = std::string("cannot show the frame: ") + SDL_GetError();
        return false;
    }
    return true;
}

// SDL turns a lost Wayland connection into a quit request; the next present says what it is.
bool isWaylandLost() { return waylandDisplay != nullptr && wl_display_get_error(waylandDisplay) != 0; }

}  // namespace

bool openDisplay(ScreenSize& screen, std::string& error) {
    if (!startDesktopVideo(error)) return false;
    onX11 = std::strcmp(SDL_GetCurrentVideoDriver(), "x11") == 0;
    // SDL's default X11 window surface goes through an OpenGL renderer, software OpenGL on
    // machines without a GPU: ten times slower than plain X11. Wayland has only that one.
    if (onX11) SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) != 0) {
        error = SDL_GetError();
        SDL_Quit();
        return false;
    }
    screen = {mode.w, mode.h};
    return true;
}

bool openWindow(int width, int height, const char* caption, std::string& error) {
    if (onX11 && !chooseX11Visual(error)) return false;
    window = SDL_CreateWindow(caption, 0, 0, width, height, SDL_WINDOW_SHOWN);
    if (window == nullptr) {
        error = SDL_GetError();
        return false;
    }
    if (onX11) return openX11Frame(window, width, height, error);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_WAYLAND)
        waylandDisplay = info.info.wl.display;
    // Fails now rather than leaving a blank window when SDL cannot serve the window.
    const SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr) {
        error = std::string("the window has no surface to draw in: ") + SDL_GetError();
        return false;
    }
    const uint32_t black = 0;
    uint32_t probe = 0;
    if (SDL_ConvertPixels(1, 1, SDL_PIXELFORMAT_RGB888, &black, 4, surface->format->format, &probe, 4) != 0) {
        error = std::string("the window's pixel format ") + SDL_GetPixelFormatName(surface->format->format) +
                " cannot show the picture";
        return false;
    }
    return true;
}

uint32_t* windowFrameBuffer() { return onX11 ? x11SharedPixels() : nullptr; }

bool present(const uint32_t* pixels, int width, int height, const ChangedArea& changed, std::string& error) {
    if (isWaylandLost()) {
        error = "lost the connection to the Wayland compositor";
        return false;
    }
    const ChangedArea area = wholeFrameNeeded ? changedAreaOf({0, height, 0, width}) : changed;
    bool shown = true;
    if (onX11) {
        int windowWidth = width, windowHeight = height;
        SDL_GetWindowSize(window, &windowWidth, &windowHeight);
        shown = presentX11Frame(pixels, area, windowWidth, windowHeight, wholeFrameNeeded, error);
    } else if (area.count > 0 || wholeFrameNeeded) {
        shown = presentThroughSurface(pixels, width, height, area, error);
    }
    wholeFrameNeeded = false;
    return shown;
}

void gatherEvents() { SDL_PumpEvents(); }

bool nextEvent(WindowEvent& event) {
    SDL_Event sdl;
    if (SDL_PeepEvents(&sdl, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) <= 0) return false;
    if (asksForContents(sdl)) wholeFrameNeeded = true;
    event = {WindowEventKind::Other, 0};
    if (sdl.type == SDL_KEYDOWN) {
        const SDL_Keycode key = sdl.key.keysym.sym;
        event = {WindowEventKind::KeyDown, key == SDLK_SPACE    ? kKeySpace
                                           : key == SDLK_ESCAPE ? kKeyEscape
                                                                : -1};
    } else if ((sdl.type == SDL_QUIT && !isWaylandLost()) ||
               (sdl.type == SDL_WINDOWEVENT && sdl.window.event == SDL_WINDOWEVENT_CLOSE)) {
        event.kind = WindowEventKind::Destroyed;
    }
    return true;
}

void sleepMilliseconds(int milliseconds) { SDL_Delay(static_cast<Uint32>(milliseconds)); }

void showError(const char* text) { SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Error", text, nullptr); }

// The X11 frame goes after the window: destroying a window another program already
// destroyed is an X error, and the frame's handler must still be there to take it.
void closeWindow() {
    if (window != nullptr) SDL_DestroyWindow(window);
    window = nullptr;
    waylandDisplay = nullptr;
    closeX11Frame();
    SDL_Quit();
}

}  // namespace quorvel
