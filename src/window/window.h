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

// A rectangle in screen coordinates.
struct ScreenRect {
    int x, y, width, height;
};

// The screen, and the part of it the desktop leaves for windows: all of it unless panels
// or docks reserve some.
struct Desktop {
    ScreenSize screen;
    ScreenRect usable;
};

// What the window manager draws around a window's client area (title bar, borders).
struct WindowFrame {
    int left, top, right, bottom;
};

// One open window; what it holds is the backend's own.
struct DesktopWindow;

// Starts the window system and measures the desktop. False with `error`, naming every
// display tried, when there is none to use.
bool openDisplay(Desktop& desktop, std::string& error);
// A window whose client area is `client`, not resizable by the user; it may already be
// shown, as a window manager frames only windows that are. Null with `error` when it
// cannot be opened.
DesktopWindow* openWindow(const ScreenRect& client, const char* caption, std::string& error);
// The window manager's frame around the window: zero where there is none or it does not
// say. Waits a few hundred milliseconds at most for a window manager to report it.
WindowFrame windowFrame(DesktopWindow& window);
// Moves the client area to `client`, gives it exactly that size, shows the window and
// readies it for frames of that size. Once, before sharedFrames and present. False with
// `error` when the window cannot show our pixels or memory is short.
bool placeWindow(DesktopWindow& window, const ScreenRect& client, std::string& error);
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
