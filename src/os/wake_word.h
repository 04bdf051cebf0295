#pragma once

#include <atomic>
#include <cstdint>

namespace quorvel {

// A word threads sleep on until another thread changes it: the band worker pool's start and
// finish signals. The system's own address waits (futex, WaitOnAddress), because a worker
// that spins while it waits takes the processor from the thread that has work.

// Returns once `word` no longer holds `seen` (at once when it already does not).
void waitWhileWordIs(const std::atomic<uint32_t>& word, uint32_t seen);
// Wakes every thread waiting on `word`; call after changing it.
void wakeWordWaiters(std::atomic<uint32_t>& word);

}  // namespace quorvel
