#pragma once

#include <string>

namespace quorvel {

// The value of --threads: a whole number from 1 to `most`, or "all" (every processor this
// process may run on), given back as 0. On a bad value, false with a one-line `error`.
bool parseThreadCount(const std::string& value, int most, int& count, std::string& error);

}  // namespace quorvel
