#include <cstdio>
#include <exception>
#include <new>
#include <string>

#include "platform/os/pages.h"
#include "platform/os/process_info.h"
#include "quorvel/shell.h"
#include "scene/preparation.h"

namespace quorvel {
namespace {

Shell shell;

// The message box says what the program has always said; stderr also says why.
int failStartup(const std::string& why) {
    std::fprintf(stderr, "quorvel: Startup failed: %s\n", why.c_str());
    showError("Startup failed.");
    closeWindow();
    return 1;
}

std::string sizeText(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }

}  // namespace

int startup(const ApproxModel& approx) {
    ScreenSize screen{};
    std::string error;
    if (!openDisplay(screen, error)) {
        std::fprintf(stderr, "quorvel: cannot open a window: %s\n", error.c_str());
        return 1;
    }
    int width = 0, height = 0;
    if (!drawingAreaFor(screen, width, height)) {
        std::fprintf(stderr, "quorvel: cannot open a window: the screen (%s) is too small for one\n",
                     sizeText(screen.width, screen.height).c_str());
        closeWindow();
        return 1;
    }
    if (!openWindow(width, height, kCaption, error)) {
        std::fprintf(stderr, "quorvel: cannot open a window: %s\n", error.c_str());
        closeWindow();
        return 1;
    }
    const size_t bytes = sizeof(uint32_t) * static_cast<size_t>(width) * height;
    // The window's own shared frame, where there is one, spares a copy per frame.
    uint32_t* color = windowFrameBuffer();
    if (color == nullptr) color = static_cast<uint32_t*>(allocatePages(bytes));
    auto* depth = static_cast<float*>(allocatePages(bytes));
    if (color == nullptr || depth == nullptr)
        return failStartup("out of memory for frame buffers of " + sizeText(width, height));

    shell.viewport = makeViewport(static_cast<uint16_t>(width), static_cast<uint16_t>(height), color, depth);
    shell.renderPath = fastestRenderPath();
    loadBuiltInScene(shell.scene);
    prepareScene(shell.scene, approx);
    shell.frames = startFrames(shell.scene, shell.viewport);
    const int status = runMainLoop(shell);
    closeWindow();
    return status;
}

}  // namespace quorvel

int main(int argc, char** argv) {
    quorvel::attachToParentConsole();
    const quorvel::ApproxModel* approx = nullptr;
    const int status = quorvel::handleCommandLine(argc, argv, approx);
    if (status != quorvel::kOpenTheWindow) return status;
    try {
        return quorvel::startup(*approx);
    } catch (const std::bad_alloc&) {
        std::fputs("quorvel: out of memory\n", stderr);
        return 1;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "quorvel: %s\n", failure.what());
        return 1;
    }
}
