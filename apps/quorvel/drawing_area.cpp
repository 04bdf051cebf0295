#include "quorvel/shell.h"

namespace quorvel {
namespace {

constexpr int kScreenMargin = 10;
constexpr int kSmallestScreen = 12;  // anything smaller leaves no drawing area

}  // namespace

bool drawingAreaFor(const ScreenSize& screen, int& width, int& height) {
    if (screen.width < kSmallestScreen || screen.height < kSmallestScreen) return false;
    width = (screen.width - kScreenMargin) & ~1;
    height = (screen.height - kScreenMargin) & ~1;
    return true;
}

}  // namespace quorvel
