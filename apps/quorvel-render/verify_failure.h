#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "quorvel-render/verify_shared.h"

namespace quorvel {

// What went wrong on a processor during --verify, and what a retest of the frame found.
enum class FailureKind { Mismatch, Crash, Hang };
enum class RetestResult { NotRun, Right, Wrong, Crashed, Hung };

struct Retest {
    int processor = -1;  // -1: there was none to retest on
    RetestResult result = RetestResult::NotRun;
};

struct FailureRecord {
    int number;      // from 1, in the order found
    double seconds;  // since the run began
    FailureKind kind;
    int processor, core, package;  // core and package -1 where the system does not say
    SlotIdentity identity;
    std::string microcode;
    uint64_t frame;
    int width, height;
    std::string approx;
    uint64_t expectedHash;
    uint64_t actualHash;                 // with a mismatch
    int signal;                          // with a crash
    int hangSeconds;                     // with a hang: how long it made no progress
    int firstDifferingRow;               // -1 where the right frame was not at hand
    std::string wrongImage, rightImage;  // saved files; empty where none
    Retest sameProcessor, otherProcessor;
};

// Whether the retest on the failing processor failed again.
bool failureRepeats(const FailureRecord& record);
// "AMD EPYC, AuthenticAMD family 25 model 17 stepping 1, microcode 0x1000065".
std::string identityText(const SlotIdentity& identity, const std::string& microcode);
// One line saying all of it, for a person and for grep.
std::string failureLine(const FailureRecord& record);
// "drew frame 1261 wrong", "died of SIGSEGV on frame 3", "hung on frame 7".
std::string failureSummary(const FailureRecord& record);
// "repeats on processor 5" or "did not repeat on processor 5"; then the other processor's.
std::string retestText(const FailureRecord& record);

}  // namespace quorvel
