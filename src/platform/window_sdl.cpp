#include <SDL.h>

#include <cstring>

#include "platform/wayland_probe.h"
#include "platform/window.h"
#include "platform/x11_frame.h"

namespace quorvel {
namespace {

// The one window of the process.
SDL_Window* window = nullptr;
// On X11 frames go through our own X11 code; elsewhere through SDL's window surface.
bool onX11 = false;
// The window may not hold the last frame shown: until the first present, or after the
// window system asked for its contents again or changed its size.
bool wholeFrameNeeded = true;

bool asksForContents(const SDL_Event& event) {
    if (event.type != SDL_WINDOWEVENT) return false;
    const Uint8 what = event.window.event;
    return what == SDL_WINDOWEVENT_EXPOSED || what == SDL_WINDOWEVENT_SHOWN ||
           what == SDL_WINDOWEVENT_RESTORED || what == SDL_WINDOWEVENT_SIZE_CHANGED ||
           what == SDL_WINDOWEVENT_RESIZED;
}

std::string x11Attempt() {
    const char* display = SDL_getenv("DISPLAY");
    if (display == nullptr || *display == '\0') return "no X display is set";
    return std::string("cannot connect to X display ") + display;
}

// Only drivers that show a window on a desktop: without a display SDL would otherwise
// fall back to its offscreen driver and draw into nothing. SDL_VIDEODRIVER still rules.
bool startDesktopVideo(std::string& error) {
    if (SDL_getenv("SDL_VIDEODRIVER") != nullptr) {
        if (SDL_Init(SDL_INIT_VIDEO) == 0) return true;
        error = std::string("SDL_VIDEODRIVER=") + SDL_getenv("SDL_VIDEODRIVER") + ": " + SDL_GetError();
        return false;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_Init(SDL_INIT_VIDEO) == 0) return true;
    error = x11Attempt();
    // Only where a compositor is announced, or the attempt complains on stderr.
    if (SDL_getenv("WAYLAND_DISPLAY") == nullptr) {
        error += ", and no Wayland compositor is announced";
        return false;
    }
    std::string why;
    if (!waylandCompositorUsable(why)) {
        error += ", and " + why;
        return false;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland");
    if (SDL_Init(SDL_INIT_VIDEO) == 0) return true;
    error += std::string(", and Wayland: ") + SDL_GetError();
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

bool nextEvent(WindowEvent& event) {
    SDL_Event sdl;
    if (SDL_PollEvent(&sdl) == 0) return false;
    if (asksForContents(sdl)) wholeFrameNeeded = true;
    event = {WindowEventKind::Other, 0};
    if (sdl.type == SDL_KEYDOWN) {
        const SDL_Keycode key = sdl.key.keysym.sym;
        event = {WindowEventKind::KeyDown, key == SDLK_SPACE    ? kKeySpace
                                           : key == SDLK_ESCAPE ? kKeyEscape
                                                                : -1};
    } else if (sdl.type == SDL_QUIT ||
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
    closeX11Frame();
    SDL_Quit();
}

}  // namespace quorvel
