#include "frame/frame_buffers.h"

#include <cstdint>
#include <utility>

#include "numeric/pixel_rect.h"

namespace quorvel {

bool allocateFrameBuffers(int width, int height, int colorCount, FrameBuffers& buffers) {
    buffers = FrameBuffers{};
    if (width <= 0 || height <= 0 || width > kMaxFrameSide || height > kMaxFrameSide || colorCount < 0 ||
        colorCount > kMaxColorBuffers)
        return false;
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    FrameBuffers made;
    made.width = width;
    made.height = height;
    for (int i = 0; i < colorCount; ++i) {
        made.color[i] = Pages(pixels * sizeof(uint32_t));
        if (made.color[i].empty()) return false;
    }
    made.depth = Pages(pixels * sizeof(float));
    made.faces = Pages(pixels * sizeof(uint8_t));
    if (made.depth.empty() || made.faces.empty()) return false;
    buffers = std::move(made);
    return true;
}

Viewport viewportOf(const FrameBuffers& buffers) {
    return makeViewport(static_cast<uint16_t>(buffers.width), static_cast<uint16_t>(buffers.height),
                        static_cast<uint32_t*>(buffers.color[0].data()),
                        static_cast<float*>(buffers.depth.data()),
                        static_cast<uint8_t*>(buffers.faces.data()));
}

}  // namespace quorvel
