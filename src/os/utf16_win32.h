#pragma once

#include <string>

namespace quorvel {

// Windows speaks UTF-16; the programs keep every text and path in UTF-8.
std::wstring widened(const std::string& utf8);
std::string narrowed(const wchar_t* utf16);

}  // namespace quorvel
