#pragma once

#include <cstdint>

struct SDL_Window;

namespace quorvel {

// A frame buffer the X server reads straight from shared memory: presenting it costs one
// XShmPutImage, with no copy on our side. Absent off X11 or without the MIT-SHM extension.
bool openSharedFrame(SDL_Window* window, int width, int height);
uint32_t* sharedFramePixels();  // null when there is none
void presentSharedFrame(int left, int top, int width, int height);
void closeSharedFrame();

}  // namespace quorvel
