#pragma once

#include <cstdint>
#include <string>

#include "numeric/changed_area.h"
#include "window/window.h"

struct wl_display;
struct wl_surface;

namespace quorvel {

// Our frames on a Wayland surface that someone else made and keeps (SDL's window, with its
// shell role, decorations and input), from buffers of shared memory the compositor reads:
// two, or three where it holds on to the buffer shown last, in one pool in a memfd. Frames
// are drawn straight into them in turn; presenting one attaches its buffer, damages the
// changed rectangles and commits. The compositor hands each buffer back when it has done
// with it (wl_buffer.release), and none is drawn into before that. What it sends about
// them comes on an event queue of the presenter's own, so that SDL's event loop neither
// takes it nor keeps it waiting.
struct WaylandPresenter;

// Null with `why` when the compositor or the system lacks something it needs (shared
// memory, damage in buffer coordinates, memfd) or memory is short: the caller shows frames
// another way then.
WaylandPresenter* openWaylandPresenter(wl_display* display, wl_surface* surface, int width, int height,
                                       std::string& why);
// The buffers frames are drawn straight into, as sharedFrames() gives them.
int waylandSharedFrames(const WaylandPresenter& presenter, uint32_t* (&frames)[kMaxSharedFrames]);
// As awaitSharedFrame and awaitRefresh: waits at most kLongestWindowWait. False with
// `error` once the connection is gone.
bool awaitWaylandBuffer(WaylandPresenter& presenter, int index, bool& free, std::string& error);
bool awaitWaylandRefresh(WaylandPresenter& presenter, std::string& error);
// Shows the frame drawn into one of the buffers, `area` being where it differs from the
// frame before. False with `error` once the connection is gone.
bool presentWayland(WaylandPresenter& presenter, const uint32_t* pixels, const ChangedArea& area,
                    std::string& error);
// Before the display is closed; the surface may be gone already.
void closeWaylandPresenter(WaylandPresenter* presenter);

}  // namespace quorvel
