#include <cstdio>
#include <string>

#include "platform/os/pages.h"
#include "quorvel/shell.h"
#include "scene/preparation.h"

namespace quorvel {
namespace {

std::string sizeText(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

int cannotOpen(DesktopWindow* window, const std::string& why) {
    std::fprintf(stderr, "quorvel: cannot open a window: %s\n", why.c_str());
    closeWindow(window);
    return 1;
}

}  // namespace

int startup(const WindowOptions& options) {
    Desktop desktop{};
    std::string error;
    if (!openDisplay(desktop, error)) {
        std::fprintf(stderr, "quorvel: cannot open a window: %s\n", error.c_str());
        return 1;
    }
    const std::string tooSmall =
        "the screen (" + sizeText(desktop.screen.width, desktop.screen.height) + ") is too small for one";
    // The window manager's frame is known only once the window is open: it opens as if it
    // had none, and is fitted to its frame then.
    int width = options.width, height = options.height;
    if (width == 0 && !drawingAreaFor(desktop.usable, {}, width, height))
        return cannotOpen(nullptr, tooSmall);
    DesktopWindow* window = openWindow(clientAreaFor(desktop.usable, {}, width, height), kCaption, error);
    if (window == nullptr) return cannotOpen(nullptr, error);
    const WindowFrame frame = windowFrame(*window);
    if (options.width == 0 && !drawingAreaFor(desktop.usable, frame, width, height))
        return cannotOpen(window, tooSmall);
    if (!placeWindow(*window, clientAreaFor(desktop.usable, frame, width, height), error))
        return cannotOpen(window, error);

    const size_t bytes = sizeof(uint32_t) * static_cast<size_t>(width) * static_cast<size_t>(height);
    // The window's own frames, where it has them, spare a copy per frame.
    uint32_t* shared[kMaxSharedFrames] = {};
    const int sharedCount = sharedFrames(*window, shared);
    auto* color = sharedCount > 0 ? shared[0] : static_cast<uint32_t*>(allocatePages(bytes));
    auto* depth = static_cast<float*>(allocatePages(bytes));
    auto* faces = static_cast<uint8_t*>(allocatePages(bytes / sizeof(uint32_t)));
    int status = 1;
    if (color == nullptr || depth == nullptr || faces == nullptr) {
        // The message box says what the program has always said; stderr also says why.
        std::fprintf(stderr, "quorvel: Startup failed: out of memory for frame buffers of %s\n",
                     sizeText(width, height).c_str());
        if (options.errorBox) showError("Startup failed.");
    } else {
        const PreparedScene scene = prepareBuiltInScene(*options.approx);
        const Viewport viewport =
            makeViewport(static_cast<uint16_t>(width), static_cast<uint16_t>(height), color, depth, faces);
        Shell shell{
            window, &scene, {viewport, viewport}, 1, startFrames(scene, viewport), fastestRenderPath()};
        if (sharedCount == 2) {
            shell.viewports[1].colorBuffer = shared[1];
            shell.viewportCount = 2;
            alternateColorBuffers(shell.frames, viewport);
        }
        shell.showFrameRate = options.showFrameRate;
        status = runMainLoop(shell);
    }
    closeWindow(window);
    if (sharedCount == 0) releasePages(color, bytes);
    releasePages(depth, bytes);
    releasePages(faces, bytes / sizeof(uint32_t));
    return status;
}

}  // namespace quorvel
