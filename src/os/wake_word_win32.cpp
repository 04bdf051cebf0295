#include <windows.h>

#include "os/wake_word.h"

namespace quorvel {

// WaitOnAddress returns at once when the word no longer holds `seen`, and may return without
// a change: the loop checks again.
void waitWhileWordIs(const std::atomic<uint32_t>& word, uint32_t seen) {
    if (watchWordFor(word, seen)) return;
    while (word.load(std::memory_order_acquire) == seen) {
        WaitOnAddress(const_cast<std::atomic<uint32_t>*>(&word), &seen, sizeof(seen), INFINITE);
    }
}

void wakeWordWaiters(std::atomic<uint32_t>& word) { WakeByAddressAll(&word); }

}  // namespace quorvel
