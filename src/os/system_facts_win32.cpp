#include <windows.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "os/system_facts.h"

namespace quorvel {

// The version the system gives programs that say they run on Windows 10 and later; Wine
// reports the version it imitates.
SystemDescription describeSystem() {
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto getVersion =
        ntdll != nullptr
            ? reinterpret_cast<GetVersion>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
            : nullptr;
    if (getVersion == nullptr || getVersion(&version) != 0) return {"Windows", "", "x86_64"};
    char kernel[48];
    std::snprintf(kernel, sizeof kernel, "%lu.%lu.%lu", version.dwMajorVersion, version.dwMinorVersion,
                  version.dwBuildNumber);
    return {"Windows", kernel, "x86_64"};
}

// The revision Windows loaded, as its registry keeps it for each processor: "Update Revision",
// eight bytes whose upper four hold the revision on Intel and AMD processors alike.
std::string microcodeOf(int processor) {
    wchar_t key[96];
    std::swprintf(key, sizeof key / sizeof key[0], L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\%d",
                  processor);
    unsigned char value[16] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key, L"Update Revision", RRF_RT_REG_BINARY, nullptr, value, &size) !=
            ERROR_SUCCESS ||
        size < 8)
        return "";
    uint32_t revision = 0;
    std::memcpy(&revision, value + 4, sizeof revision);
    char text[16];
    std::snprintf(text, sizeof text, "0x%" PRIx32, revision);
    return text;
}

}  // namespace quorvel
