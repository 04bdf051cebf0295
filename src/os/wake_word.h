#pragma once

#include <atomic>
#include <cstdint>

namespace quorvel {

// A word threads wait on until another thread changes it: the band worker pool's start and
// finish signals. A waiter first watches the word for a few tens of microseconds, since the
// next frame or the last share usually comes that soon and a sleeping thread takes about as
// long again to wake; then it sleeps in the system's own address wait (futex, WaitOnAddress),
// so that a worker with nothing to do never holds a processor another thread needs.

// Returns once `word` no longer holds `seen` (at once when it already does not).
void waitWhileWordIs(const std::atomic<uint32_t>& word, uint32_t seen);
// Wakes every thread waiting on `word`; call after changing it.
void wakeWordWaiters(std::atomic<uint32_t>& word);

// Watches `word` for a short while; true once it no longer holds `seen`.
bool watchWordFor(const std::atomic<uint32_t>& word, uint32_t seen);

}  // namespace quorvel
