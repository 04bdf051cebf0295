#include <algorithm>

#include "numeric/pixel_rect.h"
#include "quorvel/shell.h"

namespace quorvel {
namespace {

constexpr int kScreenMargin = 10;
constexpr int kSmallestSpace = 12;  // anything smaller leaves no drawing area

}  // namespace

bool drawingAreaFor(const ScreenRect& usable, const WindowFrame& frame, int& width, int& height) {
    const int spaceWidth = usable.width - frame.left - frame.right;
    const int spaceHeight = usable.height - frame.top - frame.bottom;
    if (spaceWidth < kSmallestSpace || spaceHeight < kSmallestSpace) return false;
    // A screen larger than any frame gets the largest frame.
    width = std::min((spaceWidth - kScreenMargin) & ~1, kMaxFrameSide);
    height = std::min((spaceHeight - kScreenMargin) & ~1, kMaxFrameSide);
    return true;
}

bool fullscreenDrawingArea(const ScreenSize& screen, int& width, int& height) {
    if (screen.width < 2 || screen.height < 2) return false;
    width = std::min(screen.width & ~1, kMaxFrameSide);
    height = std::min(screen.height & ~1, kMaxFrameSide);
    return true;
}

ScreenRect clientAreaFor(const ScreenRect& usable, const WindowFrame& frame, int width, int height) {
    return {usable.x + frame.left, usable.y + frame.top, width, height};
}

}  // namespace quorvel
