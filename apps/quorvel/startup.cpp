#include <cstdio>
#include <string>

#include "frame/frame_buffers.h"
#include "frame/worker_pool.h"
#include "frame/worker_processors.h"
#include "quorvel/shell.h"
#include "scene/preparation.h"

namespace quorvel {
namespace {

std::string sizeText(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

// Once the window system is open it is closed, with the window if one was opened, however
// start-up or the run ends: by a return or an exception.
struct WindowSystemInUse {
    DesktopWindow* window = nullptr;
    WindowSystemInUse() = default;
    WindowSystemInUse(const WindowSystemInUse&) = delete;
    WindowSystemInUse& operator=(const WindowSystemInUse&) = delete;
    ~WindowSystemInUse() { closeWindow(window); }
};

int cannotOpen(const std::string& why) {
    std::fprintf(stderr, "quorvel: cannot open a window: %s\n", why.c_str());
    return 1;
}

}  // namespace

int startup(const WindowOptions& options) {
    Desktop desktop{};
    std::string error;
    if (!openDisplay(desktop, error)) return cannotOpen(error);
    WindowSystemInUse windowSystem;
    const std::string tooSmall =
        "the screen (" + sizeText(desktop.screen.width, desktop.screen.height) + ") is too small for one";
    // The window manager's frame is known only once the window is open: it opens as if it
    // had none, and is fitted to its frame then. A full-screen window has none.
    int width = options.width, height = options.height;
    const bool sized = options.fullscreen ? fullscreenDrawingArea(desktop.screen, width, height)
                                          : width != 0 || drawingAreaFor(desktop.usable, {}, width, height);
    if (!sized) return cannotOpen(tooSmall);
    windowSystem.window =
        openWindow(clientAreaFor(desktop.usable, {}, width, height), kCaption, options.fullscreen, error);
    if (windowSystem.window == nullptr) return cannotOpen(error);
    DesktopWindow& window = *windowSystem.window;
    const WindowFrame frame = windowFrame(window);
    if (options.width == 0 && !options.fullscreen && !drawingAreaFor(desktop.usable, frame, width, height))
        return cannotOpen(tooSmall);
    const ScreenRect client = options.fullscreen ? ScreenRect{0, 0, width, height}
                                                 : clientAreaFor(desktop.usable, frame, width, height);
    if (!placeWindow(window, client, error)) return cannotOpen(error);

    // The window's own frames, where it has them, spare a copy per frame.
    static_assert(kMaxSharedFrames <= kMaxColorBuffers);
    uint32_t* shared[kMaxSharedFrames] = {};
    const int sharedCount = sharedFrames(window, shared);
    FrameBuffers buffers;
    if (!allocateFrameBuffers(width, height, sharedCount > 0 ? 0 : 1, buffers)) {
        // The message box says what the program has always said; stderr also says why.
        std::fprintf(stderr, "quorvel: Startup failed: out of memory for frame buffers of %s\n",
                     sizeText(width, height).c_str());
        if (options.errorBox) showError("Startup failed.");
        return 1;
    }
    const PreparedScene scene = prepareBuiltInScene(*options.approx);
    // With --threads the workers wait between frames in a pool; without, two are started for
    // each frame.
    int processors = 0;
    BandWorkers workers = twoWorkersEachFrame();
    if (options.threads >= 0) {
        workers = workersForThreadOption(options.threads, processors);
        if (workers.count > processors)
            std::fprintf(stderr, "quorvel: %d workers on %d processors: some processors run more than one\n",
                         workers.count, processors);
        startWorkerPool(workers);
    }
    const WorkerPoolInUse poolInUse{workers};
    Shell shell{&window, &scene, startFrames(scene, viewportOf(buffers)), fastestRenderPath(workers)};
    if (sharedCount > 0 && !drawIntoColorBuffers(shell.frames, shared, sharedCount))
        return cannotOpen("the window offers frames of its own that cannot be drawn into");
    shell.showFrameRate = options.showFrameRate;
    shell.maxFps = options.maxFps;
    shell.fullSpeed = options.maxFps == 0;
    return runMainLoop(shell);
}

}  // namespace quorvel
