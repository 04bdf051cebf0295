#pragma once

#include <filesystem>
#include <string>

namespace quorvel {

// Paths travel as UTF-8 text; a std::filesystem::path made from plain text would read it in
// the system's code page on Windows.
inline std::filesystem::path pathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

}  // namespace quorvel
