#pragma once

#include <cstdint>
#include <string>

#include "numeric/changed_area.h"
#include "window/window.h"

struct _XDisplay;  // Xlib's Display
union _XEvent;     // Xlib's XEvent

namespace quorvel {

// Our frames on an X11 window, whatever the visual, from the window's X handles alone.
// Where the visual's pixels are ours (32 bits, red in bits 16..23, blue in 0..7) and the
// server has MIT-SHM, frames are drawn straight into two images in memory the server reads,
// in turn: presenting one costs an XShmPutImage a changed rectangle, and the server reads it
// while the next frame is drawn into the other, once it has finished reading that one (its
// completion event is usually in by then). Other TrueColor and DirectColor visuals get
// each changed pixel converted.
struct X11Presenter;

// The visual to create the window with: 0 for the screen's default one when it is
// TrueColor or DirectColor, else the deepest TrueColor visual the screen offers. False with
// `error` when it has none.
bool chooseX11Visual(unsigned long& visualId, std::string& error);
// Null with `error` when the window's visual cannot show the picture or memory is short.
X11Presenter* openX11Presenter(_XDisplay* display, unsigned long window, int width, int height,
                               std::string& error);
// The shared images frames are drawn straight into, as sharedFrames() gives them.
int x11SharedFrames(const X11Presenter& presenter, uint32_t* (&frames)[kMaxSharedFrames]);
// Waits until the server has read shared image `index`, so that the next frame may be drawn
// there; at once where frames are not drawn into the images. False with `error` once the
// window or the display has gone.
bool awaitX11Image(X11Presenter& presenter, int index, std::string& error);
// Sends `area` of a width x height frame to the window, which may now be another size: the
// frame stays at the top-left, clipped, and with `clearOutside` the rest of the window
// turns black. False with `error` once the window or the display has gone.
bool presentX11(X11Presenter& presenter, const uint32_t* pixels, const ChangedArea& area, int windowWidth,
                int windowHeight, bool clearOutside, std::string& error);
// Takes note of an event the window's event loop took from the connection: the server's
// word that it has read an image may be among them.
void noteX11Event(X11Presenter& presenter, const _XEvent& event);
void closeX11Presenter(X11Presenter* presenter);

}  // namespace quorvel
