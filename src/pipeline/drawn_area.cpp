#include "pipeline/drawn_area.h"

#include <algorithm>

#include "pipeline/band_projection.h"
#include "pipeline/frame_driver.h"

namespace quorvel {
namespace {

// Rows are cleared in whole 64-byte lines; the extra words already hold the clear value.
constexpr size_t kLineWords = 16;

void clearRows(uint32_t* buffer, const Viewport& viewport, uint32_t value) {
    const PixelRect& area = viewport.drawnArea;
    const size_t pixels = size_t{viewport.width} * viewport.height;
    for (int row = area.top; row < area.bottom; ++row) {
        const size_t rowStart = size_t(row) * viewport.width;
        const size_t first = (rowStart + size_t(area.left)) & ~(kLineWords - 1);
        const size_t end = std::min(pixels, (rowStart + size_t(area.right) + kLineWords - 1) & ~(kLineWords - 1));
        fillBuffer(buffer + first, end - first, value);
    }
}

}  // namespace

PixelRect drawnAreaOf(const Scene& scene, float scale, const Viewport& viewport) {
    PixelRect area = {viewport.height, 0, viewport.width, 0};
    for (int i = 0; i < scene.vertexCount; ++i) {
        const ScreenPoint point = projectVertex(scene.transformedVertices[i], scale, viewport).point;
        area.top = std::min<int>(area.top, point.y);
        area.bottom = std::max<int>(area.bottom, point.y);
        area.left = std::min<int>(area.left, point.x);
        area.right = std::max<int>(area.right, point.x);
    }
    area.top = std::max(area.top, 0);
    area.bottom = std::min<int>(area.bottom, viewport.height);
    area.left = std::max(area.left, 0);
    area.right = std::min<int>(area.right, viewport.width);
    if (area.top >= area.bottom || area.left >= area.right) return {0, 0, 0, 0};
    return area;
}

void clearDrawnArea(const Viewport& viewport) {
    clearRows(viewport.colorBuffer, viewport, 0);
    clearRows(reinterpret_cast<uint32_t*>(viewport.depthBuffer), viewport, kClearDepthBits);
}

}  // namespace quorvel
