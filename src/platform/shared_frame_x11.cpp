#include "platform/shared_frame_x11.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

namespace quorvel {
namespace {

struct SharedFrame {
    Display* display = nullptr;
    Window window = 0;
    GC context = nullptr;
    XImage* image = nullptr;
    XShmSegmentInfo segment{};
    int width = 0;
    int height = 0;
};

// The one shared frame of the process.
SharedFrame frame;

bool errorSeen = false;
int noteError(Display*, XErrorEvent*) {
    errorSeen = true;
    return 0;
}

// Our pixels are bytes blue, green, red, 0: exactly a 32-bit TrueColor image with red in
// bits 16..23 and blue in bits 0..7.
bool matchesOurPixels(const XImage& image, int width) {
    return image.bits_per_pixel == 32 && image.bytes_per_line == width * 4 && image.red_mask == 0xFF0000 &&
           image.green_mask == 0xFF00 && image.blue_mask == 0xFF && image.byte_order == LSBFirst;
}

// Attaching can fail only on the server's side, which Xlib reports asynchronously.
bool attachSegment(Display* display, XShmSegmentInfo& segment) {
    errorSeen = false;
    XSync(display, False);
    int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler(noteError);
    XShmAttach(display, &segment);
    XSync(display, False);
    XSetErrorHandler(previous);
    return !errorSeen;
}

}  // namespace

bool openSharedFrame(SDL_Window* window, int width, int height) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    Display* display = info.info.x11.display;
    if (!XShmQueryExtension(display)) return false;
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, info.info.x11.window, &attributes) == 0) return false;

    SharedFrame opened;
    opened.image =
        XShmCreateImage(display, attributes.visual, static_cast<unsigned>(attributes.depth), ZPixmap, nullptr,
                        &opened.segment, static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (opened.image == nullptr) return false;
    if (!matchesOurPixels(*opened.image, width)) {
        XDestroyImage(opened.image);
        return false;
    }
    const size_t bytes = static_cast<size_t>(opened.image->bytes_per_line) * height;
    opened.segment.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (opened.segment.shmid < 0) {
        XDestroyImage(opened.image);
        return false;
    }
    opened.segment.shmaddr = static_cast<char*>(shmat(opened.segment.shmid, nullptr, 0));
    opened.segment.readOnly = False;
    const bool mapped = opened.segment.shmaddr != reinterpret_cast<char*>(-1);
    const bool attached = mapped && attachSegment(display, opened.segment);
    // Marked for removal at once: the segment goes away with the last user, even after a crash.
    shmctl(opened.segment.shmid, IPC_RMID, nullptr);
    if (!attached) {
        if (mapped) shmdt(opened.segment.shmaddr);
        XDestroyImage(opened.image);
        return false;
    }
    opened.image->data = opened.segment.shmaddr;
    opened.display = display;
    opened.window = info.info.x11.window;
    opened.context = XCreateGC(display, opened.window, 0, nullptr);
    opened.width = width;
    opened.height = height;
    frame = opened;
    frame.image->obdata = reinterpret_cast<char*>(&frame.segment);  // the image refers to its segment record
    return true;
}

uint32_t* sharedFramePixels() {
    return frame.image ? reinterpret_cast<uint32_t*>(frame.segment.shmaddr) : nullptr;
}

void presentSharedFrame(int left, int top, int width, int height) {
    XShmPutImage(frame.display, frame.window, frame.context, frame.image, left, top, left, top,
                 static_cast<unsigned>(width), static_cast<unsigned>(height), False);
    // The next frame is drawn into the same memory: wait until the server has read it.
    XSync(frame.display, False);
}

void closeSharedFrame() {
    if (frame.image == nullptr) return;
    XShmDetach(frame.display, &frame.segment);
    XSync(frame.display, False);
    frame.image->data = nullptr;
    XDestroyImage(frame.image);
    XFreeGC(frame.display, frame.context);
    shmdt(frame.segment.shmaddr);
    frame = SharedFrame{};
}

}  // namespace quorvel
