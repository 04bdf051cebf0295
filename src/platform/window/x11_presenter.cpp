#include "platform/window/x11_presenter.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sched.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quorvel {
namespace {

// Where one 8-bit channel of ours lands in a pixel of the window's visual.
struct ChannelLookup {
    uint32_t value[256];
};

}  // namespace

struct X11Presenter {
    Display* display = nullptr;
    Window window = 0;
    GC context = nullptr;
    XImage* image = nullptr;
    XShmSegmentInfo segment{};
    bool shared = false;      // the image lives in MIT-SHM memory
    bool ourPixels = false;   // the visual's pixels are bytes blue, green, red, x
    int completionEvent = 0;  // the event type MIT-SHM reports a finished XShmPutImage with
    int width = 0;
    int height = 0;
    ChannelLookup red, green, blue;  // for visuals whose pixels are not ours
};

namespace {

// The first X error since it was last taken; the server reports errors asynchronously, to
// a handler Xlib keeps for the whole process, with nothing to tell one window from another.
std::string pendingError;

int noteError(Display* display, XErrorEvent* event) {
    if (!pendingError.empty()) return 0;
    if (event->error_code == BadWindow || event->error_code == BadDrawable) {
        pendingError = "the window was destroyed by another program";
        return 0;
    }
    char text[128];
    XGetErrorText(display, event->error_code, text, sizeof text);
    pendingError = std::string("X error: ") + text;
    return 0;
}

// Xlib ends the process when this returns, so it says why first, once, and ends it itself.
int connectionLost(Display*) {
    static const char kMessage[] = "quorvel: lost the connection to the X display\n";
    if (write(STDERR_FILENO, kMessage, sizeof kMessage - 1) < 0) {
        // Nothing more can be said.
    }
    _exit(1);
}

bool takeError(std::string& error) {
    if (pendingError.empty()) return false;
    error = pendingError;
    pendingError.clear();
    return true;
}

const char* className(int visualClass) {
    switch (visualClass) {
        case StaticGray:
            return "StaticGray";
        case GrayScale:
            return "GrayScale";
        case StaticColor:
            return "StaticColor";
        case PseudoColor:
            return "PseudoColor";
        default:
            return "TrueColor";
    }
}

bool showsColorsDirectly(int visualClass) { return visualClass == TrueColor || visualClass == DirectColor; }

// An 8-bit channel value widened or narrowed to `mask`'s bits and placed under it.
ChannelLookup lookupFor(unsigned long mask) {
    ChannelLookup lookup{};
    const int shift = std::countr_zero(mask);
    const int bits = std::popcount(mask);
    for (uint32_t v = 0; v < 256; ++v) {
        uint32_t scaled = bits <= 8 ? v >> (8 - bits) : (v << (bits - 8)) | (v >> (16 - bits));
        lookup.value[v] = scaled << shift;
    }
    return lookup;
}

bool matchesOurPixels(const XImage& image) {
    return image.bits_per_pixel == 32 && image.red_mask == 0xFF0000 && image.green_mask == 0xFF00 &&
           image.blue_mask == 0xFF && image.byte_order == LSBFirst;
}

// Attaching can fail only on the server's side, which Xlib reports asynchronously.
bool attachSegment(Display* display, XShmSegmentInfo& segment) {
    XSync(display, False);
    std::string ignored;
    takeError(ignored);
    XShmAttach(display, &segment);
    XSync(display, False);
    return !takeError(ignored);
}

XImage* createSharedImage(Display* display, const XWindowAttributes& attributes, int width, int height,
                          XShmSegmentInfo& segment) {
    if (!XShmQueryExtension(display)) return nullptr;
    XImage* image =
        XShmCreateImage(display, attributes.visual, static_cast<unsigned>(attributes.depth), ZPixmap, nullptr,
                        &segment, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (image == nullptr) return nullptr;
    const size_t bytes = static_cast<size_t>(image->bytes_per_line) * static_cast<size_t>(height);
    segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (segment.shmid < 0) {
        XDestroyImage(image);
        return nullptr;
    }
    segment.shmaddr = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
    segment.readOnly = False;
    const bool mapped = segment.shmaddr != reinterpret_cast<char*>(-1);
    const bool attached = mapped && attachSegment(display, segment);
    // Marked for removal at once: the segment goes away with the last user, even after a crash.
    shmctl(segment.shmid, IPC_RMID, nullptr);
    if (!attached) {
        if (mapped) shmdt(segment.shmaddr);
        XDestroyImage(image);
        return nullptr;
    }
    image->data = segment.shmaddr;
    return image;
}

// Without shared memory: an image in our own memory, sent with XPutImage.
XImage* createPlainImage(Display* display, const XWindowAttributes& attributes, int width, int height) {
    XImage* image =
        XCreateImage(display, attributes.visual, static_cast<unsigned>(attributes.depth), ZPixmap, 0, nullptr,
                     static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
    if (image == nullptr) return nullptr;
    image->data = static_cast<char*>(std::calloc(static_cast<size_t>(image->bytes_per_line), size_t(height)));
    if (image->data == nullptr) {
        XDestroyImage(image);
        return nullptr;
    }
    return image;
}

// Writes `region` of our pixels into the image in the visual's format.
void convertRegion(const X11Presenter& frame, const uint32_t* pixels, const PixelRect& region) {
    XImage& image = *frame.image;
    const int bytesPerPixel = image.bits_per_pixel / 8;
    const bool lsbFirst = image.byte_order == LSBFirst;
    for (int y = region.top; y < region.bottom; ++y) {
        const uint32_t* source = pixels + size_t(y) * size_t(frame.width);
        auto* row = reinterpret_cast<uint8_t*>(image.data) + size_t(y) * size_t(image.bytes_per_line);
        for (int x = region.left; x < region.right; ++x) {
            const uint32_t ours = source[x];
            const uint32_t value = frame.red.value[(ours >> 16) & 0xFF] |
                                   frame.green.value[(ours >> 8) & 0xFF] | frame.blue.value[ours & 0xFF];
            uint8_t* out = row + size_t(x) * size_t(bytesPerPixel);
            for (int b = 0; b < bytesPerPixel; ++b) {
                const int byte = lsbFirst ? b : bytesPerPixel - 1 - b;
                out[b] = static_cast<uint8_t>(value >> (8 * byte));
            }
        }
    }
}

// Copies `region` of our pixels into an image whose pixels are ours.
void copyRegion(const X11Presenter& frame, const uint32_t* pixels, const PixelRect& region) {
    XImage& image = *frame.image;
    const auto columns = static_cast<size_t>(region.right - region.left);
    for (int y = region.top; y < region.bottom; ++y) {
        const uint32_t* source = pixels + size_t(y) * size_t(frame.width) + size_t(region.left);
        char* row = image.data + size_t(y) * size_t(image.bytes_per_line) + size_t(region.left) * 4;
        std::memcpy(row, source, columns * 4);
    }
}

// The last put of a shared image asks for the event that says the server has read it.
void putRegion(const X11Presenter& frame, const PixelRect& region, bool last) {
    const int x = region.left, y = region.top;
    const auto w = static_cast<unsigned>(region.right - region.left);
    const auto h = static_cast<unsigned>(region.bottom - region.top);
    if (frame.shared) {
        XShmPutImage(frame.display, frame.window, frame.context, frame.image, x, y, x, y, w, h, last);
    } else {
        XPutImage(frame.display, frame.window, frame.context, frame.image, x, y, x, y, w, h);
    }
}

Bool isOurCompletion(Display*, XEvent* event, XPointer presenter) {
    const auto& frame = *reinterpret_cast<const X11Presenter*>(presenter);
    return event->type == frame.completionEvent &&
           reinterpret_cast<const XShmCompletionEvent*>(event)->drawable == frame.window;
}

// Waits for the server to finish reading the shared image. Blocking in a round trip
// lets both processors sleep, and waking them costs more than the copy on some machines,
// so the event is polled for a while, yielding, before a round trip settles it.
void awaitSharedPut(X11Presenter& frame) {
    const auto self = reinterpret_cast<XPointer>(&frame);
    constexpr auto kPollFor = std::chrono::milliseconds(2);
    const auto start = std::chrono::steady_clock::now();
    XEvent event;
    while (pendingError.empty()) {
        if (XCheckIfEvent(frame.display, &event, isOurCompletion, self)) return;
        if (std::chrono::steady_clock::now() - start > kPollFor) break;
        sched_yield();
    }
    // After the round trip the event is queued, unless the put failed.
    XSync(frame.display, False);
    XCheckIfEvent(frame.display, &event, isOurCompletion, self);
}

}  // namespace

bool chooseX11Visual(unsigned long& visualId, std::string& error) {
    visualId = 0;
    errno = 0;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        // SDL has just connected: a second connection fails for want of memory or slots.
        error = errno == ENOMEM ? "out of memory while connecting to the X display"
                                : "cannot connect to the X display";
        return false;
    }
    const int screen = DefaultScreen(display);
    Visual* defaultVisual = DefaultVisual(display, screen);
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(defaultVisual);
    int count = 0;
    XVisualInfo* found = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
    const int defaultClass = found != nullptr && count > 0 ? found->c_class : TrueColor;
    const int defaultDepth = DefaultDepth(display, screen);
    if (found != nullptr) XFree(found);
    bool chosen = showsColorsDirectly(defaultClass);
    if (!chosen) {
        wanted.screen = screen;
        wanted.c_class = TrueColor;
        found = XGetVisualInfo(display, VisualScreenMask | VisualClassMask, &wanted, &count);
        const XVisualInfo* deepest = nullptr;
        for (int i = 0; i < count; ++i) {
            if (found[i].depth <= 32 && (deepest == nullptr || found[i].depth > deepest->depth))
                deepest = &found[i];
        }
        if (deepest != nullptr) {
            visualId = deepest->visualid;
            chosen = true;
        }
        if (found != nullptr) XFree(found);
    }
    if (!chosen) {
        error = "the X screen's " + std::to_string(defaultDepth) + "-bit " + className(defaultClass) +
                " visual cannot show the picture, and the screen offers no TrueColor visual";
    }
    XCloseDisplay(display);
    return chosen;
}

X11Presenter* openX11Presenter(Display* display, ::Window window, int width, int height, std::string& error) {
    XSetErrorHandler(noteError);
    XSetIOErrorHandler(connectionLost);
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0) {
        error = "cannot read the window's attributes";
        return nullptr;
    }
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(attributes.visual);
    int count = 0;
    XVisualInfo* visual = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
    const bool direct = visual != nullptr && count > 0 && showsColorsDirectly(visual->c_class);
    if (visual != nullptr) XFree(visual);
    if (!direct) {
        error = "the window's X visual cannot show the picture";
        return nullptr;
    }

    X11Presenter opened;
    opened.image = createSharedImage(display, attributes, width, height, opened.segment);
    opened.shared = opened.image != nullptr;
    if (opened.image == nullptr) opened.image = createPlainImage(display, attributes, width, height);
    if (opened.image == nullptr) {
        // Both kinds of image fail only when their memory cannot be had.
        error =
            "out of memory for the window's image of " + std::to_string(width) + "x" + std::to_string(height);
        return nullptr;
    }
    if (opened.image->bits_per_pixel % 8 != 0) {
        error = "the window's X visual packs " + std::to_string(opened.image->bits_per_pixel) +
                " bits a pixel, which cannot show the picture";
        if (opened.shared) {
            XShmDetach(display, &opened.segment);
            shmdt(opened.segment.shmaddr);
            opened.image->data = nullptr;
        }
        XDestroyImage(opened.image);
        return nullptr;
    }
    opened.ourPixels = matchesOurPixels(*opened.image);
    opened.red = lookupFor(opened.image->red_mask);
    opened.green = lookupFor(opened.image->green_mask);
    opened.blue = lookupFor(opened.image->blue_mask);
    opened.display = display;
    opened.window = window;
    opened.context = XCreateGC(display, opened.window, 0, nullptr);
    opened.width = width;
    opened.height = height;
    opened.completionEvent = XShmGetEventBase(display) + ShmCompletion;
    auto* presenter = new X11Presenter(opened);
    if (presenter->shared) presenter->image->obdata = reinterpret_cast<char*>(&presenter->segment);
    return presenter;
}

uint32_t* x11SharedPixels(const X11Presenter& frame) {
    return frame.shared && frame.ourPixels ? reinterpret_cast<uint32_t*>(frame.segment.shmaddr) : nullptr;
}

bool presentX11(X11Presenter& frame, const uint32_t* pixels, const ChangedArea& area, int windowWidth,
                int windowHeight, bool clearOutside, std::string& error) {
    ChangedArea shown{};
    for (int i = 0; i < area.count; ++i) {
        const PixelRect& rect = area.rects[i];
        const PixelRect visible = {
            std::max(rect.top, 0), std::min(rect.bottom, std::min(frame.height, windowHeight)),
            std::max(rect.left, 0), std::min(rect.right, std::min(frame.width, windowWidth))};
        if (!isEmpty(visible)) shown.rects[shown.count++] = visible;
    }
    for (int i = 0; i < shown.count; ++i) {
        if (!frame.ourPixels) {
            convertRegion(frame, pixels, shown.rects[i]);
        } else if (reinterpret_cast<const char*>(pixels) != frame.image->data) {
            copyRegion(frame, pixels, shown.rects[i]);
        }
        putRegion(frame, shown.rects[i], i == shown.count - 1);
    }
    const bool putShared = frame.shared && shown.count > 0;
    if (clearOutside) {
        XSetForeground(frame.display, frame.context, 0);  // black in every TrueColor visual
        if (windowWidth > frame.width) {
            XFillRectangle(frame.display, frame.window, frame.context, frame.width, 0,
                           static_cast<unsigned>(windowWidth - frame.width),
                           static_cast<unsigned>(windowHeight));
        }
        if (windowHeight > frame.height) {
            XFillRectangle(frame.display, frame.window, frame.context, 0, frame.height,
                           static_cast<unsigned>(std::min(windowWidth, frame.width)),
                           static_cast<unsigned>(windowHeight - frame.height));
        }
    }
    // The next frame is drawn into the same memory: wait until the server has read it.
    if (putShared) {
        awaitSharedPut(frame);
    } else {
        XSync(frame.display, False);
    }
    return !takeError(error);
}

void closeX11Presenter(X11Presenter* presenter) {
    if (presenter == nullptr) return;
    X11Presenter& frame = *presenter;
    if (frame.shared) {
        XShmDetach(frame.display, &frame.segment);
        frame.image->data = nullptr;
    }
    XFreeGC(frame.display, frame.context);
    // Whatever the server still has to say about the window, gone or not, ends here.
    XSync(frame.display, False);
    std::string ignored;
    takeError(ignored);
    if (frame.shared) shmdt(frame.segment.shmaddr);
    XDestroyImage(frame.image);
    delete presenter;
}

}  // namespace quorvel
