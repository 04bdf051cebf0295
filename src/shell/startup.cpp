#include <cstdio>
#include <string>

#include "platform/pages.h"
#include "platform/process_info.h"
#include "scene/preparation.h"
#include "shell/shell.h"

namespace quorvel {
namespace {

Shell shell;

int failStartup() {
    std::fputs("quorvel: Startup failed.\n", stderr);
    showError("Startup failed.");
    closeWindow();
    return 1;
}

}  // namespace

int startup(const ApproxModel& approx) {
    ScreenSize screen{};
    std::string error;
    if (!openDisplay(screen, error)) {
        std::fprintf(stderr, "quorvel: cannot open a window: %s\n", error.c_str());
        return 1;
    }
    int width = 0, height = 0;
    if (!drawingAreaFor(screen, width, height)) return failStartup();
    if (!openWindow(width, height, kCaption, error)) {
        std::fprintf(stderr, "quorvel: cannot open a window: %s\n", error.c_str());
        closeWindow();
        return 1;
    }
    const size_t bytes = sizeof(uint32_t) * static_cast<size_t>(width) * height;
    // The window's own shared frame, where there is one, spares a copy per frame.
    uint32_t* colour = windowFrameBuffer();
    if (colour == nullptr) colour = static_cast<uint32_t*>(allocatePages(bytes));
    auto* depth = static_cast<float*>(allocatePages(bytes));
    if (colour == nullptr || depth == nullptr) return failStartup();

    shell.viewport = makeViewport(static_cast<uint16_t>(width), static_cast<uint16_t>(height), colour, depth);
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
    return status == quorvel::kOpenTheWindow ? quorvel::startup(*approx) : status;
}
