#pragma once

#include <cstdint>
#include <string>

#include "numeric/changed_area.h"

namespace quorvel {

// The window the program shows its frames in, and the window system's events: one backend
// per platform (SDL2 with X11 or Wayland on Linux, Win32 on Windows) behind these calls.

// Key codes as the shell sees them.
inline constexpr int kKeySpace = 0x20;
inline constexpr int kKeyEscape = 0x1B;

enum class WindowEventKind {
    KeyDown,    // including auto-repeats of a held key
    Destroyed,  // the window was closed
    Other,      // anything else; default handling ignores it
};

struct WindowEvent {
    WindowEventKind kind;
    int key;  // with KeyDown
};

struct ScreenSize {
    int width;
    int height;
};

// One open window; what it holds is the backend's own.
struct DesktopWindow;

// Starts the window system and measures the desktop. False with `error`, naming every
// display tried, when there is none to use.
bool openDisplay(ScreenSize& screen, std::string& error);
// A window at the top-left with a client area of exactly width x height; not resizable by
// the user. Null with `error` when it cannot be opened or cannot show our pixels.
DesktopWindow* openWindow(int width, int height, const char* caption, std::string& error);
// Frames of memory the window system reads itself, each for the window's width x height
// frame, zero-filled and page-aligned, valid until closeWindow: none, one or two. Frames
// drawn there are shown by present() without a copy. With one, present() returns only once
// the window system has read it, so the next frame may be drawn there at once. With two,
// frames are drawn into them in turn and present() returns as soon as it has sent one,
// once the window system has read the other: the next frame is drawn there while this one
// is read.
inline constexpr int kMaxSharedFrames = 2;
int sharedFrames(DesktopWindow& window, uint32_t* (&frames)[kMaxSharedFrames]);
// Shows a top-down bitmap of 32-bit pixels (bytes blue, green, red, 0) one-to-one in the
// client area, from its top-left corner: clipped where the window has been made smaller,
// black where it has been made larger. Only `changed` may differ from the frame shown
// before: the rest is sent again only when the window may have lost it (its first frame,
// an exposure, a resize). False with `error` once the window or the display has gone.
bool present(DesktopWindow& window, const uint32_t* pixels, int width, int height, const ChangedArea& changed,
             std::string& error);
// Takes in the events the window system has sent so far, for nextEvent to hand out.
void gatherEvents(DesktopWindow& window);
// Takes one gathered event; false when none is left.
bool nextEvent(DesktopWindow& window, WindowEvent& event);
void sleepMilliseconds(int milliseconds);
void showError(const char* text);
// Closes the window, if one was opened, and the window system.
void closeWindow(DesktopWindow* window);

}  // namespace quorvel
