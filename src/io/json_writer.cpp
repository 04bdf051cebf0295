#include "io/json_writer.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

namespace quorvel {
namespace {

// The length of the UTF-8 sequence starting at `at`, or 0 where none starts there.
size_t utf8Length(const std::string& text, size_t at) {
    const auto byte = [&](size_t i) { return i < text.size() ? uint8_t(text[i]) : uint8_t(0); };
    const uint8_t lead = byte(at);
    const size_t length = lead >= 0xF0 && lead <= 0xF4  ? 4
                          : lead >= 0xE0                ? 3
                          : lead >= 0xC2 && lead < 0xE0 ? 2
                                                        : 0;
    for (size_t i = 1; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    return length;
}

}  // namespace

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const auto c = uint8_t(text[i]);
        if (c >= 0x80) {
            const size_t length = utf8Length(text, i);
            out += length > 0 ? text.substr(i, length) : "\xEF\xBF\xBD";
            i += length > 0 ? length : 1;
            continue;
        }
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += char(c);
        }
        ++i;
    }
    return out + "\"";
}

void JsonWriter::start(const char* key) {
    if (depth_ > 0) {
        text_ += first_ ? "\n" : ",\n";
        text_.append(size_t(depth_) * 2, ' ');
    }
    first_ = false;
    if (key != nullptr) text_ += jsonString(key) + ": ";
}

JsonWriter& JsonWriter::beginObject(const char* key) {
    start(key);
    text_ += "{";
    ++depth_;
    first_ = true;
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    --depth_;
    if (!first_) text_ += "\n" + std::string(size_t(depth_) * 2, ' ');
    text_ += "}";
    first_ = false;
    return *this;
}

JsonWriter& JsonWriter::beginArray(const char* key) {
    start(key);
    text_ += "[";
    ++depth_;
    first_ = true;
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    --depth_;
    if (!first_) text_ += "\n" + std::string(size_t(depth_) * 2, ' ');
    text_ += "]";
    first_ = false;
    return *this;
}

JsonWriter& JsonWriter::value(const char* key, const std::string& text) {
    start(key);
    text_ += jsonString(text);
    return *this;
}

JsonWriter& JsonWriter::value(const char* key, int64_t number) {
    start(key);
    text_ += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(const char* key, uint64_t number) {
    start(key);
    text_ += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(const char* key, double number) {
    start(key);
    if (!std::isfinite(number)) {
        text_ += "null";
        return *this;
    }
    char text[40];
    std::snprintf(text, sizeof text, "%.9g", number);
    text_ += text;
    return *this;
}

JsonWriter& JsonWriter::value(const char* key, bool flag) {
    start(key);
    text_ += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null(const char* key) {
    start(key);
    text_ += "null";
    return *this;
}

}  // namespace quorvel
