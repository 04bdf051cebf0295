#include "quorvel-render/duration.h"

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cstdio>

namespace quorvel {

bool parseDuration(const std::string& text, bool foreverAllowed, uint64_t& seconds) {
    if (text == "forever") {
        seconds = 0;
        return foreverAllowed;
    }
    const size_t digits = size_t(
        std::find_if(text.begin(), text.end(), [](char c) { return c < '0' || c > '9'; }) - text.begin());
    const std::string unit = text.substr(digits);
    const uint64_t scale = unit.empty() || unit == "s" ? 1 : unit == "m" ? 60 : unit == "h" ? 3600 : 0;
    uint64_t count = 0;
    const auto [end, code] = std::from_chars(text.data(), text.data() + digits, count);
    constexpr uint64_t kTenYears = 10ull * 366 * 24 * 3600;
    if (digits == 0 || scale == 0 || code != std::errc() || count == 0 || count > kTenYears / scale)
        return false;
    seconds = count * scale;
    return true;
}

std::string clockText(uint64_t seconds) {
    char text[48];
    if (seconds >= 3600) {
        std::snprintf(text, sizeof text, "%" PRIu64 ":%02d:%02d", seconds / 3600, int(seconds / 60 % 60),
                      int(seconds % 60));
    } else {
        std::snprintf(text, sizeof text, "%d:%02d", int(seconds / 60), int(seconds % 60));
    }
    return text;
}

}  // namespace quorvel
