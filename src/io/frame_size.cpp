#include "io/frame_size.h"

#include <algorithm>
#include <charconv>

namespace quorvel {
namespace {

bool parseSide(const std::string& text, int& side) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    long value = 0;
    const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (code != std::errc() || end != text.data() + text.size() || value < 2 || value > kMaxFrameSide ||
        value % 2 != 0)
        return false;
    side = static_cast<int>(value);
    return true;
}

}  // namespace

bool parseFrameSize(const std::string& text, int& width, int& height) {
    const size_t x = text.find('x');
    int w = 0, h = 0;
    if (x == std::string::npos || !parseSide(text.substr(0, x), w) || !parseSide(text.substr(x + 1), h))
        return false;
    width = w;
    height = h;
    return true;
}

}  // namespace quorvel
