#pragma once

#include <cstdint>
#include <string>

namespace quorvel {

// JSON text written as it goes, two spaces an indent: objects and arrays opened and closed
// in order, each value under a key inside an object and without one inside an array.
// Strings are escaped, and bytes that are not UTF-8 become U+FFFD, so the text always parses.
class JsonWriter {
  public:
    JsonWriter& beginObject(const char* key = nullptr);
    JsonWriter& endObject();
    JsonWriter& beginArray(const char* key = nullptr);
    JsonWriter& endArray();
    JsonWriter& value(const char* key, const std::string& text);
    JsonWriter& value(const char* key, const char* text) { return value(key, std::string(text)); }
    JsonWriter& value(const char* key, int64_t number);
    JsonWriter& value(const char* key, uint64_t number);
    JsonWriter& value(const char* key, int number) { return value(key, int64_t(number)); }
    JsonWriter& value(const char* key, double number);  // NaN and infinities as null
    JsonWriter& value(const char* key, bool flag);
    JsonWriter& null(const char* key);
    // The text, with a final newline once everything opened is closed.
    std::string text() const { return text_ + "\n"; }

  private:
    void start(const char* key);
    std::string text_;
    int depth_ = 0;
    bool first_ = true;
};

// `text` as a JSON string, quotes included.
std::string jsonString(const std::string& text);

}  // namespace quorvel
