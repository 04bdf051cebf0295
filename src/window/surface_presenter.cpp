#include "window/surface_presenter.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace quorvel {
namespace {

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

}  // namespace

// Fails at once rather than leaving a blank window when SDL cannot serve the window.
bool surfaceShowsOurPixels(SDL_Window* window, std::string& error) {
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

bool presentThroughSurface(SDL_Window* window, const uint32_t* pixels, int width, int height,
                           const ChangedArea& area, bool clearOutside, std::string& error) {
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
    if (clearOutside) blackenOutside(*surface, width, height);
    // The whole surface goes to the window: sending SDL only the changed rectangle left
    // stale pixels on screen under an X server without shared memory.
    if (SDL_UpdateWindowSurface(window) != 0) {
        error = std::string("cannot show the frame: ") + SDL_GetError();
        return false;
    }
    return true;
}

}  // namespace quorvel
