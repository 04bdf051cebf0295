#include "window/wayland_presenter.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

struct WaylandBuffer {
    wl_buffer* buffer = nullptr;
    uint32_t* pixels = nullptr;
    bool held = false;  // committed, and not handed back yet
};

struct WaylandPresenter {
    wl_display* display = nullptr;
    wl_event_queue* queue = nullptr;
    // SDL's surface, wrapped so that what is asked of it (frame callbacks) answers on `queue`.
    wl_surface* surface = nullptr;
    wl_shm* shm = nullptr;
    wl_shm_pool* pool = nullptr;
    int file = -1;
    void* memory = MAP_FAILED;
    size_t mappedBytes = 0;
    size_t bufferBytes = 0;  // each buffer's, rounded up to whole pages
    int width = 0, height = 0;
    WaylandBuffer buffers[kMaxSharedFrames];
    int bufferCount = 0;
    wl_callback* refresh = nullptr;  // the frame callback asked for and not answered yet
};

namespace {

void noteGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto& presenter = *static_cast<WaylandPresenter*>(data);
    if (presenter.shm == nullptr && std::strcmp(interface, wl_shm_interface.name) == 0)
        presenter.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
}

void ignoreRemoval(void*, wl_registry*, uint32_t) {}

constexpr wl_registry_listener kRegistryListener = {noteGlobal, ignoreRemoval};

void noteRelease(void* data, wl_buffer*) { static_cast<WaylandBuffer*>(data)->held = false; }

constexpr wl_buffer_listener kBufferListener = {noteRelease};

void noteRefresh(void* data, wl_callback* callback, uint32_t) {
    wl_callback_destroy(callback);
    static_cast<WaylandPresenter*>(data)->refresh = nullptr;
}

constexpr wl_callback_listener kRefreshListener = {noteRefresh};

std::string connectionError(wl_display* display) {
    if (wl_display_get_error(display) == EPROTO) {
        const wl_interface* interface = nullptr;
        uint32_t id = 0;
        const uint32_t code = wl_display_get_protocol_error(display, &interface, &id);
        return "the Wayland compositor refused a request (error " + std::to_string(code) + " on " +
               (interface != nullptr ? interface->name : "an unknown object") + ")";
    }
    return "lost the connection to the Wayland compositor";
}

int millisecondsUntil(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? int(left.count()) : 0;
}

// Sends the requests queued so far, waiting until `deadline` at most for room in the socket;
// what still does not fit goes with the next flush. False once the connection is gone.
bool flushBefore(wl_display* display, Clock::time_point deadline) {
    while (wl_display_flush(display) < 0) {
        if (errno != EAGAIN) return false;
        const int wait = millisecondsUntil(deadline);
        if (wait == 0) return true;
        pollfd writable{wl_display_get_fd(display), POLLOUT, 0};
        if (poll(&writable, 1, wait) < 0 && errno != EINTR) return false;
    }
    return true;
}

// Takes in the events of the presenter's queue while `pending()` holds, for
// kLongestWindowWait at most. Events for SDL's queue read on the way wait there for SDL.
// False once the connection is gone.
template <typename Pending>
bool takeEventsWhile(WaylandPresenter& presenter, Pending pending) {
    wl_display* display = presenter.display;
    const Clock::time_point deadline = Clock::now() + kLongestWindowWait;
    if (wl_display_dispatch_queue_pending(display, presenter.queue) < 0) return false;
    while (pending()) {
        if (wl_display_prepare_read_queue(display, presenter.queue) != 0) {
            if (wl_display_dispatch_queue_pending(display, presenter.queue) < 0) return false;
            continue;
        }
        const int wait = millisecondsUntil(deadline);
        if (wait == 0 || !flushBefore(display, deadline)) {
            wl_display_cancel_read(display);
            return wait == 0;
        }
        pollfd readable{wl_display_get_fd(display), POLLIN, 0};
        const int ready = poll(&readable, 1, wait);
        if (ready <= 0) {
            wl_display_cancel_read(display);
            if (ready < 0 && errno != EINTR) return false;
            continue;
        }
        if (wl_display_read_events(display) < 0 ||
            wl_display_dispatch_queue_pending(display, presenter.queue) < 0)
            return false;
    }
    return true;
}

std::string sizeText(const WaylandPresenter& presenter) {
    return std::to_string(presenter.width) + "x" + std::to_string(presenter.height);
}

bool addBuffer(WaylandPresenter& presenter, std::string& why) {
    WaylandBuffer& added = presenter.buffers[presenter.bufferCount];
    const size_t offset = presenter.bufferBytes * size_t(presenter.bufferCount);
    added.pixels = reinterpret_cast<uint32_t*>(static_cast<char*>(presenter.memory) + offset);
    added.buffer = wl_shm_pool_create_buffer(presenter.pool, int32_t(offset), presenter.width,
                                             presenter.height, presenter.width * 4, WL_SHM_FORMAT_XRGB8888);
    if (added.buffer == nullptr) {
        why = "out of memory for the compositor's buffers";
        return false;
    }
    wl_buffer_add_listener(added.buffer, &kBufferListener, &added);
    ++presenter.bufferCount;
    return true;
}

// The pool's file holds `count` buffers, its pages all there: running short of memory later
// would end the program with SIGBUS where it draws.
bool growFile(WaylandPresenter& presenter, int count, std::string& why) {
    const auto bytes = off_t(presenter.bufferBytes * size_t(count));
    if (ftruncate(presenter.file, bytes) == 0 && fallocate(presenter.file, 0, 0, bytes) == 0) return true;
    why = "cannot reserve shared memory for frames of " + sizeText(presenter) + ": " + std::strerror(errno);
    return false;
}

void showBlack(WaylandPresenter& presenter, int index) {
    wl_surface_attach(presenter.surface, presenter.buffers[index].buffer, 0, 0);
    wl_surface_damage_buffer(presenter.surface, 0, 0, presenter.width, presenter.height);
    wl_surface_commit(presenter.surface);
    presenter.buffers[index].held = true;
}

// Shared memory for three buffers, two of them there to start with.
bool makePool(WaylandPresenter& presenter, std::string& why) {
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    const size_t frameBytes = size_t(presenter.width) * size_t(presenter.height) * 4;
    presenter.bufferBytes = (frameBytes + page - 1) / page * page;
    presenter.file = memfd_create("quorvel-frames", MFD_CLOEXEC);
    if (presenter.file < 0) {
        why = std::string("cannot make shared memory for frames: ") + std::strerror(errno);
        return false;
    }
    presenter.mappedBytes = presenter.bufferBytes * kMaxSharedFrames;
    presenter.memory =
        mmap(nullptr, presenter.mappedBytes, PROT_READ | PROT_WRITE, MAP_SHARED, presenter.file, 0);
    if (presenter.memory == MAP_FAILED) {
        why = "out of memory for shared frames of " + sizeText(presenter);
        return false;
    }
    if (!growFile(presenter, 2, why)) return false;
    presenter.pool = wl_shm_create_pool(presenter.shm, presenter.file, int32_t(presenter.bufferBytes * 2));
    return addBuffer(presenter, why) && addBuffer(presenter, why);
}

// Two black frames, then a round trip: a compositor still holding the second has not copied
// it and reads it when it draws, so frames go into three buffers in turn, and the one
// drawn next has been handed back by the time it is needed.
bool chooseBufferCount(WaylandPresenter& presenter, std::string& why) {
    showBlack(presenter, 0);
    showBlack(presenter, 1);
    if (wl_display_roundtrip_queue(presenter.display, presenter.queue) < 0) {
        why = connectionError(presenter.display);
        return false;
    }
    if (!presenter.buffers[1].held) return true;
    if (!growFile(presenter, 3, why)) return false;
    wl_shm_pool_resize(presenter.pool, int32_t(presenter.bufferBytes * 3));
    return addBuffer(presenter, why);
}

}  // namespace

WaylandPresenter* openWaylandPresenter(wl_display* display, wl_surface* surface, int width, int height,
                                       std::string& why) {
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(surface)) < WL_SURFACE_DAMAGE_BUFFER_SINCE_VERSION) {
        why = "the Wayland compositor takes no damage in buffer coordinates";
        return nullptr;
    }
    if (size_t(width) * size_t(height) * 4 * kMaxSharedFrames > size_t(INT32_MAX)) {
        why = "shared frames of " + std::to_string(width) + "x" + std::to_string(height) +
              " are larger than a Wayland pool may be";
        return nullptr;
    }
    auto presenter = std::make_unique<WaylandPresenter>();
    presenter->display = display;
    presenter->width = width;
    presenter->height = height;
    presenter->queue = wl_display_create_queue(display);
    auto* wrappedDisplay = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrappedDisplay), presenter->queue);
    wl_registry* registry = wl_display_get_registry(wrappedDisplay);
    wl_proxy_wrapper_destroy(wrappedDisplay);
    presenter->surface = static_cast<wl_surface*>(wl_proxy_create_wrapper(surface));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(presenter->surface), presenter->queue);
    wl_registry_add_listener(registry, &kRegistryListener, presenter.get());
    const bool answered = wl_display_roundtrip_queue(display, presenter->queue) >= 0;
    wl_registry_destroy(registry);
    bool opened = false;
    if (!answered) {
        why = connectionError(display);
    } else if (presenter->shm == nullptr) {
        why = "the Wayland compositor offers no shared memory";
    } else {
        opened = makePool(*presenter, why) && chooseBufferCount(*presenter, why);
    }
    if (!opened) {
        closeWaylandPresenter(presenter.release());
        return nullptr;
    }
    return presenter.release();
}

int waylandSharedFrames(const WaylandPresenter& presenter, uint32_t* (&frames)[kMaxSharedFrames]) {
    for (int i = 0; i < presenter.bufferCount; ++i) frames[i] = presenter.buffers[i].pixels;
    return presenter.bufferCount;
}

bool awaitWaylandBuffer(WaylandPresenter& presenter, int index, bool& free, std::string& error) {
    free = true;
    if (index < 0 || index >= presenter.bufferCount) return true;
    const WaylandBuffer& buffer = presenter.buffers[index];
    if (!takeEventsWhile(presenter, [&buffer] { return buffer.held; })) {
        error = connectionError(presenter.display);
        return false;
    }
    free = !buffer.held;
    return true;
}

bool awaitWaylandRefresh(WaylandPresenter& presenter, std::string& error) {
    if (!takeEventsWhile(presenter, [&presenter] { return presenter.refresh != nullptr; })) {
        error = connectionError(presenter.display);
        return false;
    }
    return true;
}

bool presentWayland(WaylandPresenter& presenter, const uint32_t* pixels, const ChangedArea& area,
                    std::string& error) {
    int index = 0;
    while (index < presenter.bufferCount && presenter.buffers[index].pixels != pixels) ++index;
    if (index == presenter.bufferCount) {
        error = "the frame was not drawn into the window's shared memory";
        return false;
    }
    // A frame the same as the one shown is committed all the same, with no damage: a
    // compositor hands back the buffer it shows only once another replaces it, and that
    // buffer comes round again in the ring.
    wl_surface* surface = presenter.surface;
    wl_surface_attach(surface, presenter.buffers[index].buffer, 0, 0);
    for (int i = 0; i < area.count; ++i) {
        const PixelRect& rect = area.rects[i];
        wl_surface_damage_buffer(surface, rect.left, rect.top, rect.right - rect.left,
                                 rect.bottom - rect.top);
    }
    // One callback at a time: at full speed most frames are never shown, and need none.
    if (presenter.refresh == nullptr) {
        presenter.refresh = wl_surface_frame(surface);
        wl_callback_add_listener(presenter.refresh, &kRefreshListener, &presenter);
    }
    wl_surface_commit(surface);
    presenter.buffers[index].held = true;
    if (!flushBefore(presenter.display, Clock::now() + kLongestWindowWait)) {
        error = connectionError(presenter.display);
        return false;
    }
    return true;
}

void closeWaylandPresenter(WaylandPresenter* presenter) {
    if (presenter == nullptr) return;
    if (presenter->refresh != nullptr) wl_callback_destroy(presenter->refresh);
    for (int i = 0; i < presenter->bufferCount; ++i) wl_buffer_destroy(presenter->buffers[i].buffer);
    if (presenter->pool != nullptr) wl_shm_pool_destroy(presenter->pool);
    if (presenter->shm != nullptr) wl_shm_destroy(presenter->shm);
    if (presenter->surface != nullptr) wl_proxy_wrapper_destroy(presenter->surface);
    if (presenter->memory != MAP_FAILED) munmap(presenter->memory, presenter->mappedBytes);
    if (presenter->file >= 0) close(presenter->file);
    wl_display_flush(presenter->display);
    wl_event_queue_destroy(presenter->queue);
    delete presenter;
}

}  // namespace quorvel
