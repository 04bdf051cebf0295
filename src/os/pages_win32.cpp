#include <windows.h>

#include "os/pages.h"

namespace quorvel {

void* allocatePages(size_t bytes) {
    if (bytes == 0) return nullptr;
    return VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void releasePages(void* pages, size_t) {
    if (pages != nullptr) VirtualFree(pages, 0, MEM_RELEASE);
}

}  // namespace quorvel
