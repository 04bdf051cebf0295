#include <sys/mman.h>

#include "os/pages.h"

namespace quorvel {

void* allocatePages(size_t bytes) {
    if (bytes == 0) return nullptr;
    void* pages = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return pages == MAP_FAILED ? nullptr : pages;
}

void releasePages(void* pages, size_t bytes) {
    if (pages != nullptr) munmap(pages, bytes);
}

}  // namespace quorvel
