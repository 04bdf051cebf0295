#pragma once

#include <string>

namespace quorvel {

// A value or path as an error line quotes it: in single quotes, control characters escaped
// (\n, \t, \xNN) so the line stays one line, and when long only its last 60 or so bytes,
// where a path keeps its name, cut on a UTF-8 character boundary and marked with its length:
// '...the/end.png' (451 characters).
std::string quotedValue(const std::string& text);

}  // namespace quorvel
