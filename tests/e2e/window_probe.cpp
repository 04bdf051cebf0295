// Looks at the Quorvel window from outside, as a user's desktop would:
//   window_probe match X Y W H [APPROX]
//                                grab that screen area and find the frame it shows, drawn
//                                with --approx APPROX (default: native)
//   window_probe find W H [APPROX]
//                                find a W x H drawing area anywhere on the screen, as in a
//                                Wayland compositor's output that places windows itself, by
//                                its black corners with no black just outside them, and the
//                                frame it shows as match does; print where it is
//   window_probe rate SECONDS    grab the 1910x1070 window twice, SECONDS apart, and print
//                                the frames per second between the two frames shown
//   window_probe close WINDOW    ask the window to close, as a window manager does
//   window_probe look WINDOW     grab the window's own contents in its visual and print how
//                                many distinct pixel values it shows and their hash
//   window_probe workarea        print the work area the window manager reports: X Y W H
//   window_probe placement WINDOW
//                                print the work area, the window's client area on the screen
//                                and the frame the window manager reports around it
//   window_probe panel HEIGHT    show a panel HEIGHT rows high across the top of the screen
//                                that windows must keep clear of, until killed
// Exit status 0 on success; a line on stdout says what was found.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "frame/frame_driver.h"
#include "scene/preparation.h"

namespace {

using quorvel::Scene;

constexpr int kSearchFrames = 6000;
// How fast a window `rate` can measure: the second shot is looked for this many frames a
// second past the first.
constexpr int kFastestRate = 4000;

std::vector<uint32_t> grab(Display* display, int x, int y, int width, int height) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, unsigned(width), unsigned(height),
                              AllPlanes, ZPixmap);
    std::vector<uint32_t> pixels;
    if (image == nullptr) return pixels;
    pixels.reserve(size_t(width) * height);
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            pixels.push_back(uint32_t(XGetPixel(image, column, row)) & 0xFFFFFF);
        }
    }
    XDestroyImage(image);
    return pixels;
}

bool isBlack(uint32_t pixel) { return (pixel & 0xFFFFFF) == 0; }

// The grabbed area must show the lit solid around the centre and black corners.
bool looksLikeTheSolid(const std::vector<uint32_t>& shot, int width, int height) {
    int litNearCentre = 0;
    for (int y = height * 2 / 5; y < height * 3 / 5; ++y) {
        for (int x = width * 2 / 5; x < width * 3 / 5; ++x)
            litNearCentre += !isBlack(shot[size_t(y) * width + x]);
    }
    const bool cornersBlack = isBlack(shot[0]) && isBlack(shot[size_t(width) - 1]) &&
                              isBlack(shot[size_t(height - 1) * width]) && isBlack(shot.back());
    std::printf("lit pixels near the centre: %d; corners black: %s\n", litNearCentre,
                cornersBlack ? "yes" : "no");
    return litNearCentre > (width / 5) * (height / 5) / 10 && cornersBlack;
}

// Pixels of `row` in the shot that differ from the same row of `frame`.
long rowDifference(const std::vector<uint32_t>& shot, const std::vector<uint32_t>& frame, size_t row,
                   int width) {
    long differing = 0;
    for (size_t i = row * size_t(width); i < (row + 1) * size_t(width); ++i)
        differing += (frame[i] & 0xFFFFFF) != shot[i];
    return differing;
}

// Renders frames from `first` on, at most `count` of them, until one equals the shot; -1
// when none comes within a sliver of it (exact on a true-colour server; servers that convert
// colours may differ). A frame sent in several requests may be caught half shown: each row
// of the shot may then be that row of frame k or of frame k - 1.
int findFrame(const std::vector<uint32_t>& shot, int width, int height,
              const quorvel::ApproxModel& approx = quorvel::defaultApprox(), int first = 0,
              int count = kSearchFrames) {
    const quorvel::PreparedScene scene = quorvel::prepareBuiltInScene(approx);
    std::vector<uint32_t> color(shot.size()), previous(shot.size(), 0);
    std::vector<float> depth(shot.size());
    std::vector<uint8_t> faces(shot.size());
    const quorvel::Viewport viewport =
        quorvel::makeViewport(uint16_t(width), uint16_t(height), color.data(), depth.data(), faces.data());
    quorvel::FrameState frames = quorvel::startFrames(scene, viewport);
    quorvel::skipFrames(frames, uint64_t(first));
    long fewest = long(shot.size());
    int closest = -1;
    bool torn = false;
    for (int frame = first; frame < first + count; ++frame) {
        quorvel::renderFrame(scene, frames, quorvel::fastestRenderPath());
        long differing = 0;
        bool rowsOfTheFrameBefore = false;
        for (size_t row = 0; row < size_t(height); ++row) {
            const long difference = rowDifference(shot, color, row, width);
            if (difference != 0 && frame > first && rowDifference(shot, previous, row, width) == 0) {
                rowsOfTheFrameBefore = true;
            } else {
                differing += difference;
            }
        }
        if (differing < fewest) {
            fewest = differing;
            closest = frame;
            torn = rowsOfTheFrameBefore;
        }
        if (differing == 0) break;
        previous = color;
    }
    std::printf("closest frame %d%s, %ld pixels differ\n", closest,
                torn ? " (caught after the frame before)" : "", fewest);
    return fewest <= long(shot.size()) / 100 ? closest : -1;
}

// Where a W x H area with black corners, and nothing black just outside the corners, starts
// on a screen shot `screenWidth` wide: the top-left of the one such area, or false when
// there is none or more than one.
bool locateArea(const std::vector<uint32_t>& screen, int screenWidth, int width, int height, int& x, int& y) {
    const int screenHeight = int(screen.size()) / screenWidth;
    const auto blackAt = [&](int column, int row) {
        return column < 0 || row < 0 || column >= screenWidth || row >= screenHeight
                   ? false
                   : isBlack(screen[size_t(row) * size_t(screenWidth) + size_t(column)]);
    };
    int found = 0;
    for (int top = 0; top + height <= screenHeight; ++top) {
        for (int left = 0; left + width <= screenWidth; ++left) {
            const int right = left + width - 1, bottom = top + height - 1;
            if (blackAt(left, top) && !blackAt(left - 1, top) && !blackAt(left, top - 1) &&
                blackAt(right, bottom) && !blackAt(right + 1, bottom) && !blackAt(right, bottom + 1) &&
                blackAt(right, top) && blackAt(left, bottom)) {
                x = left;
                y = top;
                ++found;
            }
        }
    }
    return found == 1;
}

int findOnScreen(Display* display, int width, int height, const quorvel::ApproxModel& approx) {
    const int screenWidth = DisplayWidth(display, DefaultScreen(display));
    const int screenHeight = DisplayHeight(display, DefaultScreen(display));
    const std::vector<uint32_t> screen = grab(display, 0, 0, screenWidth, screenHeight);
    int x = 0, y = 0;
    if (screen.empty() || !locateArea(screen, screenWidth, width, height, x, y)) {
        std::printf("no single %dx%d area with black corners on the screen\n", width, height);
        return 1;
    }
    std::printf("a %dx%d area at %d,%d\n", width, height, x, y);
    std::vector<uint32_t> shot;
    shot.reserve(size_t(width) * size_t(height));
    for (int row = y; row < y + height; ++row) {
        const auto start = screen.begin() + ptrdiff_t(row) * screenWidth + x;
        shot.insert(shot.end(), start, start + width);
    }
    return looksLikeTheSolid(shot, width, height) && findFrame(shot, width, height, approx) >= 0 ? 0 : 1;
}

int measureRate(Display* display, double seconds) {
    constexpr int kWidth = 1910, kHeight = 1070;
    const auto start = std::chrono::steady_clock::now();
    const std::vector<uint32_t> first = grab(display, 0, 0, kWidth, kHeight);
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const auto end = std::chrono::steady_clock::now();
    const std::vector<uint32_t> second = grab(display, 0, 0, kWidth, kHeight);
    if (first.empty() || second.empty()) return 1;
    const int from = findFrame(first, kWidth, kHeight);
    if (from < 0) return 1;
    const int to = findFrame(second, kWidth, kHeight, quorvel::defaultApprox(), from,
                             int(kFastestRate * (seconds + 1.0)));
    if (to < 0) return 1;
    std::printf("window: %.1f frames per second flat out at %dx%d\n",
                (to - from) / std::chrono::duration<double>(end - start).count(), kWidth, kHeight);
    return 0;
}

int closeWindow(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    return 0;
}

int lookAt(Display* display, Window window) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(display, window, &attributes) == 0) return 1;
    XImage* image = XGetImage(display, window, 0, 0, unsigned(attributes.width), unsigned(attributes.height),
                              AllPlanes, ZPixmap);
    if (image == nullptr) return 1;
    std::set<unsigned long> values;
    uint64_t hash = 0xcbf29ce484222325ull;
    for (int row = 0; row < attributes.height; ++row) {
        for (int column = 0; column < attributes.width; ++column) {
            const unsigned long pixel = XGetPixel(image, column, row);
            values.insert(pixel);
            hash = (hash ^ pixel) * 0x100000001b3ull;
        }
    }
    XDestroyImage(image);
    std::printf("%dx%d depth %d: %zu distinct pixel values, hash %016" PRIx64 "\n", attributes.width,
                attributes.height, attributes.depth, values.size(), hash);
    return 0;
}

// The first `count` 32-bit values of a window's property; empty when it has none.
std::vector<long> cardinals(Display* display, Window window, const char* name, unsigned long count) {
    Atom type = None;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* data = nullptr;
    std::vector<long> values;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, long(count), False,
                           XA_CARDINAL, &type, &format, &items, &left, &data) == Success &&
        format == 32 && items == count)
        values.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
    if (data != nullptr) XFree(data);
    return values;
}

// The current desktop's work area; empty without a window manager that reports one.
std::vector<long> workArea(Display* display) {
    const Window root = DefaultRootWindow(display);
    const std::vector<long> current = cardinals(display, root, "_NET_CURRENT_DESKTOP", 1);
    const unsigned long desktop = current.empty() ? 0 : unsigned(current[0]);
    std::vector<long> all = cardinals(display, root, "_NET_WORKAREA", 4 * (desktop + 1));
    if (all.empty()) return all;
    return {all.end() - 4, all.end()};
}

int printWorkArea(Display* display) {
    const std::vector<long> area = workArea(display);
    if (area.empty()) return 1;
    std::printf("%ld %ld %ld %ld\n", area[0], area[1], area[2], area[3]);
    return 0;
}

int printPlacement(Display* display, Window window) {
    const std::vector<long> area = workArea(display);
    std::vector<long> frame = cardinals(display, window, "_NET_FRAME_EXTENTS", 4);
    if (frame.empty()) frame.assign(4, 0);
    XWindowAttributes attributes;
    Window child = 0;
    int x = 0, y = 0;
    if (area.empty() || XGetWindowAttributes(display, window, &attributes) == 0 ||
        !XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child))
        return 1;
    // _NET_FRAME_EXTENTS is left, right, top, bottom.
    std::printf("work area %ld %ld %ld %ld client %d %d %d %d frame %ld %ld %ld %ld\n", area[0], area[1],
                area[2], area[3], x, y, attributes.width, attributes.height, frame[0], frame[2], frame[1],
                frame[3]);
    return 0;
}

int showPanel(Display* display, int height) {
    const int width = DisplayWidth(display, DefaultScreen(display));
    const Window panel = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, unsigned(width),
                                             unsigned(height), 0, 0, 0x404040);
    Atom dock = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DOCK", False);
    XChangeProperty(display, panel, XInternAtom(display, "_NET_WM_WINDOW_TYPE", False), XA_ATOM, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(&dock), 1);
    long strut[12] = {0, 0, height, 0, 0, 0, 0, 0, 0, width - 1, 0, 0};
    XChangeProperty(display, panel, XInternAtom(display, "_NET_WM_STRUT_PARTIAL", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(strut), 12);
    XChangeProperty(display, panel, XInternAtom(display, "_NET_WM_STRUT", False), XA_CARDINAL, 32,
                    PropModeReplace, reinterpret_cast<unsigned char*>(strut), 4);
    XMapWindow(display, panel);
    for (XEvent event; XNextEvent(display, &event) == 0;) {
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "window_probe: no display\n");
        return 2;
    }
    const std::string command = argc > 1 ? argv[1] : "";
    int status = 2;
    if (command == "match" && (argc == 6 || argc == 7)) {
        const int x = std::atoi(argv[2]), y = std::atoi(argv[3]), width = std::atoi(argv[4]),
                  height = std::atoi(argv[5]);
        std::string unknown;
        const quorvel::ApproxModel* approx =
            argc == 7 ? quorvel::approxModelNamed(argv[6], unknown) : &quorvel::defaultApprox();
        const std::vector<uint32_t> shot = grab(display, x, y, width, height);
        status = approx != nullptr && !shot.empty() && looksLikeTheSolid(shot, width, height) &&
                         findFrame(shot, width, height, *approx) >= 0
                     ? 0
                     : 1;
    } else if (command == "find" && (argc == 4 || argc == 5)) {
        std::string unknown;
        const quorvel::ApproxModel* approx =
            argc == 5 ? quorvel::approxModelNamed(argv[4], unknown) : &quorvel::defaultApprox();
        status =
            approx != nullptr ? findOnScreen(display, std::atoi(argv[2]), std::atoi(argv[3]), *approx) : 2;
    } else if (command == "rate" && argc == 3) {
        status = measureRate(display, std::atof(argv[2]));
    } else if (command == "look" && argc == 3) {
        status = lookAt(display, Window(std::strtoul(argv[2], nullptr, 0)));
    } else if (command == "close" && argc == 3) {
        status = closeWindow(display, Window(std::strtoul(argv[2], nullptr, 0)));
    } else if (command == "workarea" && argc == 2) {
        status = printWorkArea(display);
    } else if (command == "placement" && argc == 3) {
        status = printPlacement(display, Window(std::strtoul(argv[2], nullptr, 0)));
    } else if (command == "panel" && argc == 3) {
        status = showPanel(display, std::atoi(argv[2]));
    } else {
        std::fprintf(stderr,
                     "usage: window_probe match X Y W H [APPROX] | find W H [APPROX] | rate SECONDS | close "
                     "WINDOW | look WINDOW"
                     " | workarea | placement WINDOW | panel HEIGHT\n");
    }
    XCloseDisplay(display);
    return status;
}
