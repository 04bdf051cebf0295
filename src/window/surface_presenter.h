#pragma once

#include <cstdint>
#include <string>

#include "numeric/changed_area.h"

struct SDL_Window;

namespace quorvel {

// Our frames through SDL's own window surface, converted where its format differs: for
// every window system but X11, which has a presenter of its own.

// False with `error` when SDL cannot serve the window a surface our pixels can be shown in.
bool surfaceShowsOurPixels(SDL_Window* window, std::string& error);
// Sends `area` of a width x height frame; with `clearOutside` the rest of the window, if it
// has grown, turns black. False with `error` when SDL refuses.
bool presentThroughSurface(SDL_Window* window, const uint32_t* pixels, int width, int height,
                           const ChangedArea& area, bool clearOutside, std::string& error);

}  // namespace quorvel
