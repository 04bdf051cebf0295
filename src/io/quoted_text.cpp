#include "io/quoted_text.h"

#include <cstdio>
#include <vector>

namespace quorvel {
namespace {

constexpr size_t kQuotedBytes = 60;

// How many bytes the character at `at` takes: those of a well-formed UTF-8 sequence, or
// one for any byte that begins none (a stray continuation byte, a cut or overlong sequence).
size_t characterBytes(const std::string& text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length = 1;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range; later ones take 80..BF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 1 || at + length > text.size()) return 1;
    if (byte(at + 1) < low || byte(at + 1) > high) return 1;
    for (size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 1;
    return length;
}

// Each character as an error line shows it: control characters and bytes that are not UTF-8
// as escapes, one each.
std::vector<std::string> shownCharacters(const std::string& text) {
    std::vector<std::string> shown;
    for (size_t at = 0; at < text.size();) {
        const size_t length = characterBytes(text, at);
        const auto byte = static_cast<unsigned char>(text[at]);
        if (text[at] == '\n') {
            shown.emplace_back("\\n");
        } else if (text[at] == '\t') {
            shown.emplace_back("\\t");
        } else if (byte < 0x20 || byte == 0x7F || (length == 1 && byte >= 0x80)) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", byte);
            shown.emplace_back(code);
        } else {
            shown.emplace_back(text, at, length);
        }
        at += length;
    }
    return shown;
}

}  // namespace

std::string quotedValue(const std::string& text) {
    const std::vector<std::string> characters = shownCharacters(text);
    size_t first = characters.size(), kept = 0;
    while (first > 0 && kept + characters[first - 1].size() <= kQuotedBytes)
        kept += characters[--first].size();
    std::string shown;
    for (size_t i = first; i < characters.size(); ++i) shown += characters[i];
    if (first == 0) return "'" + shown + "'";
    return "'..." + shown + "' (" + std::to_string(characters.size()) + " characters)";
}

}  // namespace quorvel
