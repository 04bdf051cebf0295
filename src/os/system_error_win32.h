#pragma once

#include <string>

namespace quorvel {

// The system's own words for an error code, in the user's language, as one line of UTF-8
// without its closing period; "error N" where the system has none.
std::string systemErrorText(unsigned long code);

}  // namespace quorvel
