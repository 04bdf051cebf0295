#pragma once

#include <cstdint>

namespace quorvel {

// Faults a --verify worker makes on purpose, to prove the checker: only the test build of the
// program (tests/apps/verify_faults_main.cpp) fills this in; quorvel-render itself always
// runs with none.
struct InjectedFaults {
    // Every worker flips one bit of one pixel in every `flipEvery`-th frame it draws,
    // `flipsPerWorker` times in all (a different pixel and bit each time).
    uint64_t flipEvery = 0, flipsPerWorker = 0;
    // One fault on the worker of `processor` when it draws frame `frame` of the cycle: a
    // flipped bit, a crash by `signal`, or a hang. With `repeats`, a retest there faults too.
    enum class Kind { None, Flip, Crash, Hang } kind = Kind::None;
    int processor = -1;
    uint64_t frame = 0;
    int signal = 0;
    bool repeats = false;
};

}  // namespace quorvel
