#include "window/wayland_probe.h"

#include <SDL.h>
#include <wayland-client.h>

#include <cstring>

namespace quorvel {
namespace {

void noteGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
    if (std::strcmp(interface, "wl_seat") == 0) *static_cast<bool*>(data) = true;
}

void ignoreRemoval(void*, wl_registry*, uint32_t) {}

constexpr wl_registry_listener kListener = {noteGlobal, ignoreRemoval};

// The first SDL 2 release that starts on a compositor without a seat.
bool sdlStartsWithoutSeat() {
    SDL_version linked;
    SDL_GetVersion(&linked);
    return SDL_VERSIONNUM(linked.major, linked.minor, linked.patch) >= SDL_VERSIONNUM(2, 30, 0);
}

}  // namespace

bool waylandCompositorUsable(std::string& why) {
    const char* name = SDL_getenv("WAYLAND_DISPLAY");
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        why = std::string("cannot connect to Wayland compositor ") + (name ? name : "wayland-0");
        return false;
    }
    bool hasSeat = false;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kListener, &hasSeat);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    if (!hasSeat && !sdlStartsWithoutSeat()) {
        why = std::string("Wayland compositor ") + (name ? name : "wayland-0") +
              " offers no input seat, which this SDL cannot start without";
        return false;
    }
    return true;
}

}  // namespace quorvel
