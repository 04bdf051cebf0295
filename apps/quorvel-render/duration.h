#pragma once

#include <cstdint>
#include <string>

namespace quorvel {

// A length of time as --duration and --per-cpu-time take it: seconds, with s, m or h after the
// number ("90s", "10m", "2h"; a bare number is seconds), at least one second and at most ten
// years, or "forever" (0) where `foreverAllowed`. False for anything else.
bool parseDuration(const std::string& text, bool foreverAllowed, uint64_t& seconds);

// Seconds as a person reads them: "0:59", "12:05", "2:00:00".
std::string clockText(uint64_t seconds);

}  // namespace quorvel
