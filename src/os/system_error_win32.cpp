#include "os/system_error_win32.h"

#include <windows.h>

#include "os/utf16_win32.h"

namespace quorvel {

std::string systemErrorText(unsigned long code) {
    // The system allocates the text: a message is as long as its language makes it.
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words;
    // A long message comes in lines: joined by spaces, so that it stays one line.
    for (DWORD i = 0; i < length && text != nullptr; ++i) {
        if (text[i] == L'\r') continue;
        words += text[i] == L'\n' ? L' ' : text[i];
    }
    LocalFree(text);
    while (!words.empty() && (words.back() == L' ' || words.back() == L'.')) words.pop_back();
    return words.empty() ? "error " + std::to_string(code) : narrowed(words.c_str());
}

}  // namespace quorvel
