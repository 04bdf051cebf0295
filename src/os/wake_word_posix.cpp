#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>

#include "os/wake_word.h"

namespace quorvel {
namespace {

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) &&
              std::atomic<uint32_t>::is_always_lock_free);

auto* addressOf(const std::atomic<uint32_t>& word) {
    return reinterpret_cast<uint32_t*>(const_cast<std::atomic<uint32_t>*>(&word));
}

}  // namespace

// The kernel sleeps only while the word still holds `seen`, so a change made between the load
// and the sleep is never missed.
void waitWhileWordIs(const std::atomic<uint32_t>& word, uint32_t seen) {
    if (watchWordFor(word, seen)) return;
    while (word.load(std::memory_order_acquire) == seen) {
        syscall(SYS_futex, addressOf(word), FUTEX_WAIT_PRIVATE, seen, nullptr, nullptr, 0);
    }
}

void wakeWordWaiters(std::atomic<uint32_t>& word) {
    syscall(SYS_futex, addressOf(word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

}  // namespace quorvel
