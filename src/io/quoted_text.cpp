#include "io/quoted_text.h"

#include <algorithm>
#include <cstdio>

namespace quorvel {
namespace {

constexpr size_t kQuotedBytes = 60;

bool continuesCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte == 0x7F) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", byte);
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

std::string quotedValue(const std::string& text) {
    if (text.size() <= kQuotedBytes) return "'" + escaped(text) + "'";
    size_t start = text.size() - kQuotedBytes;
    while (start < text.size() && continuesCharacter(text[start])) ++start;
    const auto characters =
        std::count_if(text.begin(), text.end(), [](char c) { return !continuesCharacter(c); });
    return "'..." + escaped(text.substr(start)) + "' (" + std::to_string(characters) + " characters)";
}

}  // namespace quorvel
