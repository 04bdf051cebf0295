#include <algorithm>

#include "numeric/pixel_rect.h"
#include "quorvel/shell.h"

namespace quorvel {
namespace {

constexpr int kScreenMargin = 10;
constexpr int kSmallestScreen = 12;  // anything smaller leaves no drawing area

}  // namespace

bool drawingAreaFor(const ScreenSize& screen, int& width, int& height) {
    if (screen.width < kSmallestScreen || screen.height < kSmallestScreen) return false;
    // A screen wider than a frame may be gets the largest frame, at the top-left.
    width = std::min((screen.width - kScreenMargin) & ~1, kMaxFrameSide);
    height = std::min((screen.height - kScreenMargin) & ~1, kMaxFrameSide);
    return true;
}

}  // namespace quorvel
