#pragma once

#include <string>

namespace quorvel {

// A value or path as an error line quotes it: in single quotes, control characters and
// bytes that are not UTF-8 escaped (\n, \t, \xNN) so the line stays one line of text, and
// when long only the last 60 or so bytes it shows, where a path keeps its name, cut between
// characters and marked with its length, each byte that is not UTF-8 counted as one
// character: '...the/end.png' (451 characters).
std::string quotedValue(const std::string& text);

}  // namespace quorvel
