#include <chrono>

#include "os/wake_word.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace quorvel {
namespace {

constexpr auto kWatchTime = std::chrono::microseconds(50);

// Tells the processor this is a wait loop: the other thread of its core gets its units.
inline void relax() {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#elif defined(__aarch64__)
    __asm__ __volatile__("yield");
#endif
}

}  // namespace

bool watchWordFor(const std::atomic<uint32_t>& word, uint32_t seen) {
    const auto until = std::chrono::steady_clock::now() + kWatchTime;
    for (;;) {
        for (int i = 0; i < 64; ++i) {
            if (word.load(std::memory_order_acquire) != seen) return true;
            relax();
        }
        if (std::chrono::steady_clock::now() >= until) return false;
    }
}

}  // namespace quorvel
