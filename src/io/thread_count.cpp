#include "io/thread_count.h"

#include <algorithm>
#include <charconv>

#include "io/quoted_text.h"

namespace quorvel {

bool parseThreadCount(const std::string& value, int most, int& count, std::string& error) {
    if (value == "all") {
        count = 0;
        return true;
    }
    int number = 0;
    const bool digits = !value.empty() &&
                        std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
    const auto [end, code] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (!digits || code != std::errc() || end != value.data() + value.size() || number < 1 || number > most) {
        error = "--threads wants a number of workers from 1 to " + std::to_string(most) + ", or all, got " +
                quotedValue(value);
        return false;
    }
    count = number;
    return true;
}

}  // namespace quorvel
