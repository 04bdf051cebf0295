#include <SDL.h>

#include <cstring>

#include "platform/shared_frame_x11.h"
#include "platform/window.h"

namespace quorvel {
namespace {

// The one window of the process.
SDL_Window* window = nullptr;
// The window may not hold the last frame shown: until the first present, or after the
// window system asked for its contents again.
bool wholeFrameNeeded = true;

bool asksForContents(const SDL_Event& event) {
    if (event.type != SDL_WINDOWEVENT) return false;
    const Uint8 what = event.window.event;
    return what == SDL_WINDOWEVENT_EXPOSED || what == SDL_WINDOWEVENT_SHOWN ||
           what == SDL_WINDOWEVENT_RESTORED || what == SDL_WINDOWEVENT_SIZE_CHANGED;
}

// Rows top..bottom-1 of the window surface, columns left..right-1, from our pixels.
void copyToSurface(SDL_Surface& surface, const uint32_t* pixels, int width, const PixelRect& region) {
    const int rowBytes = width * 4;
    const uint32_t* source = pixels + static_cast<size_t>(region.top) * width + region.left;
    auto* destination = static_cast<uint8_t*>(surface.pixels) +
                        static_cast<size_t>(region.top) * surface.pitch +
                        static_cast<size_t>(region.left) * surface.format->BytesPerPixel;
    const int columns = region.right - region.left, rows = region.bottom - region.top;
    if (surface.format->format == SDL_PIXELFORMAT_RGB888) {
        for (int row = 0; row < rows; ++row)
            std::memcpy(destination + static_cast<size_t>(row) * surface.pitch,
                        source + static_cast<size_t>(row) * width, static_cast<size_t>(columns) * 4);
    } else {
        SDL_ConvertPixels(columns, rows, SDL_PIXELFORMAT_RGB888, source, rowBytes, surface.format->format,
                          destination, surface.pitch);
    }
}

// Only drivers that show a window on a desktop: without a display SDL would otherwise
// fall back to its offscreen driver and draw into nothing. SDL_VIDEODRIVER still rules.
bool startDesktopVideo(std::string& error) {
    if (SDL_getenv("SDL_VIDEODRIVER") != nullptr) {
        if (SDL_Init(SDL_INIT_VIDEO) == 0) return true;
        error = SDL_GetError();
        return false;
    }
    error = "no X11 or Wayland display";
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_Init(SDL_INIT_VIDEO) == 0) return true;
    // Only where a compositor is announced, or the attempt complains on stderr.
    if (SDL_getenv("WAYLAND_DISPLAY") == nullptr) return false;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland");
    return SDL_Init(SDL_INIT_VIDEO) == 0;
}

}  // namespace

bool openDisplay(ScreenSize& screen, std::string& error) {
    // SDL's default window surface goes through an OpenGL renderer, software OpenGL on
    // machines without a GPU: ten times slower than its plain X11 shared-memory path.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (!startDesktopVideo(error)) return false;
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
    window = SDL_CreateWindow(caption, 0, 0, width, height, SDL_WINDOW_SHOWN);
    if (window == nullptr) {
        error = SDL_GetError();
        return false;
    }
    openSharedFrame(window, width, height);
    return true;
}

uint32_t* windowFrameBuffer() { return sharedFramePixels(); }

void present(const uint32_t* pixels, int width, int height, const PixelRect& changed) {
    const PixelRect region = wholeFrameNeeded ? PixelRect{0, height, 0, width} : changed;
    if (isEmpty(region)) return;
    const SDL_Rect rect = {region.left, region.top, region.right - region.left, region.bottom - region.top};
    if (pixels == sharedFramePixels()) {
        presentSharedFrame(rect.x, rect.y, rect.w, rect.h);
        wholeFrameNeeded = false;
        return;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    if (surface == nullptr || surface->w != width || surface->h != height) return;
    copyToSurface(*surface, pixels, width, region);
    // The whole surface goes to the window: sending SDL only the changed rectangle left
    // stale pixels on screen under an X server without shared memory.
    SDL_UpdateWindowSurface(window);
    wholeFrameNeeded = false;
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

void closeWindow() {
    closeSharedFrame();
    if (window != nullptr) SDL_DestroyWindow(window);
    window = nullptr;
    SDL_Quit();
}

}  // namespace quorvel
