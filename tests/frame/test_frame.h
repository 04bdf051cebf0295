#pragma once

#include <utility>
#include <vector>

#include "frame/frame_driver.h"
#include "scene/preparation.h"

namespace quorvel {

// The built-in scene prepared, with buffers and frame state for one drawing size, as the
// programs set them up.
struct TestFrame {
    PreparedScene scene;
    std::vector<uint32_t> color;
    std::vector<float> depth;
    std::vector<uint8_t> faces;
    Viewport viewport;
    FrameState frames;

    TestFrame(int width, int height, const ApproxModel& approx = defaultApprox())
        : TestFrame(width, height, prepareBuiltInScene(approx)) {}
    TestFrame(int width, int height, PreparedScene prepared)
        : scene(std::move(prepared)),
          color(size_t(width) * size_t(height)),
          depth(size_t(width) * size_t(height)),
          faces(size_t(width) * size_t(height)),
          viewport(makeViewport(uint16_t(width), uint16_t(height), color.data(), depth.data(), faces.data())),
          frames(startFrames(scene, viewport)) {}

    ChangedArea render(const RenderPath& path) { return renderFrame(scene, frames, path).changed; }
};

}  // namespace quorvel
