#pragma once

#include <cstdint>
#include <string>

#include "frame/changed_area.h"

struct SDL_Window;

namespace quorvel {

// Our frames on an X11 window, whatever the visual. Where the visual's pixels are ours
// (32 bits, red in bits 16..23, blue in 0..7) and the server has MIT-SHM, the frame is
// drawn straight into memory the server reads, and presenting it costs one XShmPutImage a
// changed rectangle and a wait for the server's completion before the next frame is drawn
// into it. Other TrueColor and DirectColor visuals get each changed pixel converted.

// Picks the visual the window will be created with: the default one when it is TrueColor
// or DirectColor, else the deepest TrueColor visual the screen offers. False with `error`
// when it has none.
bool chooseX11Visual(std::string& error);
bool openX11Frame(SDL_Window* window, int width, int height, std::string& error);
uint32_t* x11SharedPixels();  // null unless drawing straight into shared memory
// Sends `area` of a width x height frame to the window, which may now be another size: the
// frame stays at the top-left, clipped, and with `clearOutside` the rest of the window
// turns black. False with `error` once the window or the display has gone.
bool presentX11Frame(const uint32_t* pixels, const ChangedArea& area, int windowWidth, int windowHeight,
                     bool clearOutside, std::string& error);
void closeX11Frame();

}  // namespace quorvel
