#pragma once

#include <chrono>
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
// shown, as a window manager frames only windows that are. With `fullscreen` it covers the
// whole screen instead, without a frame, and keeps its caption for the task bar. Null with
// `error` when it cannot be opened.
DesktopWindow* openWindow(const ScreenRect& client, const char* caption, bool fullscreen, std::string& error);
// The window manager's frame around the window: zero where there is none or it does not
// say. Waits a few hundred milliseconds at most for a window manager to report it.
WindowFrame windowFrame(DesktopWindow& window);
// Moves the client area to `client`, gives it exactly that size, shows the window and
// readies it for frames of that size (a full-screen window stays where it is, as large as
// the screen, and shows them at its top-left). Once, before sharedFrames and present. False
// with `error` when the window cannot show our pixels or memory is short.
bool placeWindow(DesktopWindow& window, const ScreenRect& client, std::string& error);
// Frames of memory the window system reads itself, each for the window's width x height
// frame, zero-filled and page-aligned, valid until closeWindow: none, or one to three. Frames
// drawn there are shown by present() without a copy. With one, present() returns only once
// the window system has read it, so the next frame may be drawn there at once. With more,
// frames are drawn into them in turn: present() returns as soon as it has sent one, and
// awaitSharedFrame says when the next may be drawn into.
inline constexpr int kMaxSharedFrames = 3;
int sharedFrames(DesktopWindow& window, uint32_t* (&frames)[kMaxSharedFrames]);
// The longest the program waits on the window system for a frame: a hidden, minimized or
// covered window may not be read, nor asked for frames, until it shows again.
inline constexpr std::chrono::milliseconds kLongestWindowWait{100};
// Waits, at most kLongestWindowWait, until the window system has read shared frame `index`
// (where the next frame goes) and handed it back. False in `free` while it still holds it:
// nothing may be drawn there yet. Always free where there are no shared frames. False with
// `error` once the window or the display has gone.
bool awaitSharedFrame(DesktopWindow& window, int index, bool& free, std::string& error);
// Waits, at most kLongestWindowWait, until the window system asks for the next frame after
// the one presented last: on Wayland the compositor's frame callback; elsewhere at once.
void awaitRefresh(DesktopWindow& window);
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
// Sleeps until `deadline`, to the millisecond or better.
void sleepUntil(std::chrono::steady_clock::time_point deadline);
void showError(const char* text);
// Closes the window, if one was opened, and the window system.
void closeWindow(DesktopWindow* window);

}  // namespace quorvel
