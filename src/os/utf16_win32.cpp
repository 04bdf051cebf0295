#include "os/utf16_win32.h"

#include <windows.h>

namespace quorvel {

std::wstring widened(const std::string& utf8) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring utf16(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), utf16.data(), length);
    return utf16;
}

std::string narrowed(const wchar_t* utf16) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, utf16, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return {};
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16, -1, utf8.data(), length, nullptr, nullptr);
    utf8.pop_back();  // the terminating null
    return utf8;
}

}  // namespace quorvel
