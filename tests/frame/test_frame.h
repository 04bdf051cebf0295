#pragma once

#include <vector>

#include "frame/frame_driver.h"
#include "scene/preparation.h"

namespace quorvel {

// The built-in scene prepared, with buffers and frame state for one drawing size, as the
// programs set them up.
struct TestFrame {
    Scene scene{};
    std::vector<uint32_t> color;
    std::vector<float> depth;
    Viewport viewport;
    FrameState frames;

    TestFrame(int width, int height, const ApproxModel& approx = defaultApprox())
        : color(size_t(width) * size_t(height)),
          depth(size_t(width) * size_t(height)),
          viewport(makeViewport(uint16_t(width), uint16_t(height), color.data(), depth.data())) {
        loadBuiltInScene(scene);
        prepareScene(scene, approx);
        frames = startFrames(scene, viewport);
    }

    ChangedArea render(const RenderPath& path) { return renderFrame(scene, viewport, frames, path); }
};

}  // namespace quorvel
