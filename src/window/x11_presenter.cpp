#include "window/x11_presenter.h"

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

// An image of the window's size the frames are sent from.
struct FrameImage {
    XImage* image = nullptr;
    XShmSegmentInfo segment{};
    bool beingRead = false;  // sent from shared memory, and the server has not said it is done
};

struct X11Presenter {
    Display* display = nullptr;
    Window window = 0;
    GC context = nullptr;
    FrameImage images[kMaxSharedFrames];
    int imageCount = 0;       // two where frames are drawn straight into shared memory
    bool shared = false;      // the images live in MIT-SHM memory
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
void convertRegion(const X11Presenter& frame, XImage& image, const uint32_t* pixels,
                   const PixelRect& region) {
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
void copyRegion(const X11Presenter& frame, XImage& image, const uint32_t* pixels, const PixelRect& region) {
    const auto columns = static_cast<size_t>(region.right - region.left);
    for (int y = region.top; y < region.bottom; ++y) {
        const uint32_t* source = pixels + size_t(y) * size_t(frame.width) + size_t(region.left);
        char* row = image.data + size_t(y) * size_t(image.bytes_per_line) + size_t(region.left) * 4;
        std::memcpy(row, source, columns * 4);
    }
}

// The last put of a shared image asks for the event that says the server has read it.
void putRegion(const X11Presenter& frame, XImage* image, const PixelRect& region, bool last) {
    const int x = region.left, y = region.top;
    const auto w = static_cast<unsigned>(region.right - region.left);
    const auto h = static_cast<unsigned>(region.bottom - region.top);
    if (frame.shared) {
        XShmPutImage(frame.display, frame.window, frame.context, image, x, y, x, y, w, h, last);
    } else {
        XPutImage(frame.display, frame.window, frame.context, image, x, y, x, y, w, h);
    }
}

// The image whose segment `event` says the server has finished reading, or null.
FrameImage* completedImage(X11Presenter& frame, const XEvent& event) {
    if (event.type != frame.completionEvent) return nullptr;
    const auto& completion = reinterpret_cast<const XShmCompletionEvent&>(event);
    if (completion.drawable != frame.window) return nullptr;
    for (int i = 0; i < frame.imageCount; ++i) {
        if (frame.images[i].segment.shmseg == completion.shmseg) return &frame.images[i];
    }
    return nullptr;
}

struct AwaitedImage {
    X11Presenter* frame;
    const FrameImage* image;
};

Bool isAwaitedCompletion(Display*, XEvent* event, XPointer awaited) {
    const auto& wanted = *reinterpret_cast<const AwaitedImage*>(awaited);
    return completedImage(*wanted.frame, *event) == wanted.image;
}

// Waits for the server to finish reading a shared image. Blocking in a round trip lets
// both processors sleep, and waking them costs more than the copy on some machines, so the
// event is polled for a while, yielding, before a round trip settles it (the server reads
// an image while handling its put, so any later reply means it is done).
void awaitRead(X11Presenter& frame, FrameImage& image) {
    if (!image.beingRead) return;
    AwaitedImage awaited{&frame, &image};
    const auto self = reinterpret_cast<XPointer>(&awaited);
    constexpr auto kPollFor = std::chrono::milliseconds(2);
    const auto start = std::chrono::steady_clock::now();
    XEvent event;
    image.beingRead = false;
    while (pendingError.empty()) {
        if (XCheckIfEvent(frame.display, &event, isAwaitedCompletion, self)) return;
        if (std::chrono::steady_clock::now() - start > kPollFor) break;
        sched_yield();
    }
    XSync(frame.display, False);
    XCheckIfEvent(frame.display, &event, isAwaitedCompletion, self);
}

// Frees the images' memory; their segments are detached from the server already, or were
// never attached to it.
void destroyImages(X11Presenter& frame) {
    for (int i = 0; i < frame.imageCount; ++i) {
        FrameImage& image = frame.images[i];
        if (frame.shared) {
            shmdt(image.segment.shmaddr);
            image.image->data = nullptr;
        }
        XDestroyImage(image.image);
    }
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
    FrameImage& first = opened.images[0];
    first.image = createSharedImage(display, attributes, width, height, first.segment);
    opened.shared = first.image != nullptr;
    if (first.image == nullptr) first.image = createPlainImage(display, attributes, width, height);
    if (first.image == nullptr) {
        // Both kinds of image fail only when their memory cannot be had.
        error =
            "out of memory for the window's image of " + std::to_string(width) + "x" + std::to_string(height);
        return nullptr;
    }
    opened.imageCount = 1;
    opened.display = display;
    if (first.image->bits_per_pixel % 8 != 0) {
        error = "the window's X visual packs " + std::to_string(first.image->bits_per_pixel) +
                " bits a pixel, which cannot show the picture";
        if (opened.shared) XShmDetach(display, &first.segment);
        destroyImages(opened);
        return nullptr;
    }
    opened.ourPixels = matchesOurPixels(*first.image);
    // Frames drawn straight into shared memory get a second image, so that the server reads
    // one while the next frame is drawn into the other; without one, they take turns.
    if (opened.shared && opened.ourPixels) {
        FrameImage& second = opened.images[1];
        second.image = createSharedImage(display, attributes, width, height, second.segment);
        if (second.image != nullptr) opened.imageCount = 2;
    }
    opened.red = lookupFor(first.image->red_mask);
    opened.green = lookupFor(first.image->green_mask);
    opened.blue = lookupFor(first.image->blue_mask);
    opened.window = window;
    opened.context = XCreateGC(display, opened.window, 0, nullptr);
    opened.width = width;
    opened.height = height;
    opened.completionEvent = XShmGetEventBase(display) + ShmCompletion;
    auto* presenter = new X11Presenter(opened);
    if (presenter->shared) {
        for (int i = 0; i < presenter->imageCount; ++i) {
            FrameImage& image = presenter->images[i];
            image.image->obdata = reinterpret_cast<char*>(&image.segment);
        }
    }
    return presenter;
}

int x11SharedFrames(const X11Presenter& frame, uint32_t* (&frames)[kMaxSharedFrames]) {
    if (!frame.shared || !frame.ourPixels) return 0;
    for (int i = 0; i < frame.imageCount; ++i)
        frames[i] = reinterpret_cast<uint32_t*>(frame.images[i].segment.shmaddr);
    return frame.imageCount;
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
    // Pixels of our own are converted or copied into the first image, once the server has
    // read it; pixels drawn into a shared image are sent from there.
    int sent = 0;
    while (sent < frame.imageCount && reinterpret_cast<const char*>(pixels) != frame.images[sent].image->data)
        ++sent;
    const bool drawnThere = sent < frame.imageCount;
    if (!drawnThere) sent = 0;
    FrameImage& image = frame.images[sent];
    if (!drawnThere) awaitRead(frame, image);
    for (int i = 0; i < shown.count; ++i) {
        if (!frame.ourPixels) {
            convertRegion(frame, *image.image, pixels, shown.rects[i]);
        } else if (!drawnThere) {
            copyRegion(frame, *image.image, pixels, shown.rects[i]);
        }
        putRegion(frame, image.image, shown.rects[i], i == shown.count - 1);
    }
    if (frame.shared && shown.count > 0) image.beingRead = true;
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
    if (!frame.shared) {
        XSync(frame.display, False);
    } else if (drawnThere && frame.imageCount > 1) {
        // The next frame is drawn into another image while the server reads this one;
        // awaitX11Image waits for that one to be read.
        XFlush(frame.display);
    } else {
        // The next frame is drawn into the same memory: wait until the server has read it.
        awaitRead(frame, image);
    }
    return !takeError(error);
}

bool awaitX11Image(X11Presenter& frame, int index, std::string& error) {
    // Frames drawn into memory of our own are copied into an image once it has been read,
    // while presenting, so that the server's reading overlaps their drawing.
    const bool drawnIntoImages = frame.shared && frame.ourPixels;
    if (drawnIntoImages && index >= 0 && index < frame.imageCount) awaitRead(frame, frame.images[index]);
    return !takeError(error);
}

void noteX11Event(X11Presenter& presenter, const XEvent& event) {
    FrameImage* read = completedImage(presenter, event);
    if (read != nullptr) read->beingRead = false;
}

void closeX11Presenter(X11Presenter* presenter) {
    if (presenter == nullptr) return;
    X11Presenter& frame = *presenter;
    for (int i = 0; i < frame.imageCount; ++i) {
        if (frame.shared) XShmDetach(frame.display, &frame.images[i].segment);
    }
    XFreeGC(frame.display, frame.context);
    // Whatever the server still has to say about the window, gone or not, ends here.
    XSync(frame.display, False);
    std::string ignored;
    takeError(ignored);
    destroyImages(frame);
    delete presenter;
}

}  // namespace quorvel
