#pragma once

#include <vector>

#include "pipeline/frame_driver.h"
#include "scene/preparation.h"

namespace quorvel {

// The built-in scene prepared, with buffers and animation for one drawing size, as the
// programs set them up.
struct TestFrame {
    Scene scene{};
    std::vector<uint32_t> colour;
    std::vector<float> depth;
    Viewport viewport;
    Animation animation;

    TestFrame(int width, int height)
        : colour(size_t(width) * height),
          depth(size_t(width) * height),
          viewport(makeViewport(uint16_t(width), uint16_t(height), colour.data(), depth.data())),
          animation(startAnimation(height)) {
        loadBuiltInScene(scene);
        prepareScene(scene);
    }

    // Moves the animation on to frame `frame` without drawing the frames before it.
    void skipTo(int frame) {
        for (int i = 0; i < frame; ++i) {
            advanceZoom(animation);
            advanceFrameCounter(animation);
        }
    }

    void render(const RenderPath& path) { renderFrame(scene, animation, viewport, path); }
};

}  // namespace quorvel
