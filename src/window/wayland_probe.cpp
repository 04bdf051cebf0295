#include "window/wayland_probe.h"

#include <SDL.h>
#include <wayland-client.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
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

// libwayland says why it could not connect on a log of its own, which goes to stderr
// unless taken: taken, it becomes the reason in our one line.
std::string libraryMessage;

void takeLibraryMessage(const char* format, va_list arguments) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, arguments);
    libraryMessage = text;
}

void printLibraryMessage(const char* format, va_list arguments) { std::vfprintf(stderr, format, arguments); }

// "error: XDG_RUNTIME_DIR is invalid or not set in the environment.\n" as
// "XDG_RUNTIME_DIR is invalid or not set in the environment".
std::string reasonFrom(std::string message) {
    if (message.rfind("error: ", 0) == 0) message.erase(0, 7);
    while (!message.empty() && (message.back() == '\n' || message.back() == '.')) message.pop_back();
    return message;
}

std::string displayName(const char* name) {
    if (name == nullptr) return "wayland-0";
    return *name == '\0' ? "(WAYLAND_DISPLAY is empty)" : name;
}

}  // namespace

bool waylandCompositorUsable(std::string& why) {
    const char* name = SDL_getenv("WAYLAND_DISPLAY");
    libraryMessage.clear();
    wl_log_set_handler_client(takeLibraryMessage);
    errno = 0;
    wl_display* display = wl_display_connect(nullptr);
    const int connectError = errno;
    wl_log_set_handler_client(printLibraryMessage);
    if (display == nullptr) {
        const std::string reason = !libraryMessage.empty()
                                       ? reasonFrom(libraryMessage)
                                       : std::strerror(connectError != 0 ? connectError : ECONNREFUSED);
        why = "cannot connect to Wayland compositor " + displayName(name) + ": " + reason;
        return false;
    }
    bool hasSeat = false;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kListener, &hasSeat);
    wl_display_roundtrip(display);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    if (!hasSeat && !sdlStartsWithoutSeat()) {
        why = "Wayland compositor " + displayName(name) +
              " offers no input seat, which this SDL cannot start without";
        return false;
    }
    return true;
}

}  // namespace quorvel
