#include <windows.h>
// windows.h first: the CRT's descriptor calls take its handles.
#include <fcntl.h>
#include <io.h>

#include "os/interrupts.h"
#include "os/new_file.h"
#include "os/system_error_win32.h"
#include "os/utf16_win32.h"

namespace quorvel {

// Shared for deletion, so that an interrupt can remove the file while it is still open.
NewFile createNewFile(const std::string& path, std::FILE*& stream, std::string& error) {
    const std::wstring wide = widened(path);
    holdInterrupts();
    const HANDLE handle =
        CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    const DWORD createError = GetLastError();
    if (handle != INVALID_HANDLE_VALUE) removeOnInterrupt(path.c_str());
    releaseInterrupts();
    if (handle == INVALID_HANDLE_VALUE) {
        if (createError == ERROR_FILE_EXISTS || createError == ERROR_ALREADY_EXISTS)
            return NewFile::NameTaken;
        error = systemErrorText(createError);
        return NewFile::Failed;
    }
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    stream = descriptor >= 0 ? _fdopen(descriptor, "wb") : nullptr;
    if (stream == nullptr) {
        error = "cannot open a stream on the file";
        if (descriptor >= 0) {
            _close(descriptor);
        } else {
            CloseHandle(handle);
        }
        discardNewFile(path);
        return NewFile::Failed;
    }
    return NewFile::Created;
}

bool publishNewFile(const std::string& path, const std::string& target, std::string& error) {
    const std::wstring from = widened(path), to = widened(target);
    holdInterrupts();
    const bool renamed = MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    if (!renamed) error = systemErrorText(GetLastError());
    if (!renamed) DeleteFileW(from.c_str());
    removeOnInterrupt(nullptr);
    releaseInterrupts();
    return renamed;
}

void discardNewFile(const std::string& path) {
    const std::wstring wide = widened(path);
    holdInterrupts();
    DeleteFileW(wide.c_str());
    removeOnInterrupt(nullptr);
    releaseInterrupts();
}

}  // namespace quorvel
