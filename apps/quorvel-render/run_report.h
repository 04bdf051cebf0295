#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "quorvel-render/frame_time_histogram.h"
#include "quorvel-render/verify_failure.h"
#include "quorvel-render/verify_shared.h"

namespace quorvel {

// What --report writes for a --verify, --bench or --hash run: docs/report.schema.json holds
// its form, and its keys stay as they are within a major schema version.
inline constexpr int kReportSchemaMajor = 1;

struct ReportWorker {
    int processor, core, package;
    SlotIdentity identity;
    std::string microcode;
    uint64_t framesDrawn, framesVerified;
    int failures;
};

struct RunReport {
    std::string kind;  // "verify", "bench" or "hash"
    std::string spanRoutine, approx;
    bool approxNative;  // drawn with this processor's own instructions, which give the model's results
    uint64_t fingerprint;
    int width, height;
    uint64_t firstFrame, lastFrame;
    SlotIdentity processorIdentity;  // the first worker's processor, or this program's
    std::string processorMicrocode;
    std::vector<ReportWorker> workers;  // with --verify, each worker's processor's identity and counts
    FrameTimeStatistics times;
    std::vector<std::pair<uint64_t, uint64_t>> hashes;  // frame, hash: a hash run's
    // A verify run's:
    std::string verdict;    // "pass", "fail", "no-frames" or "error" (the run itself failed)
    std::string stoppedBy;  // "time", "frames", "failure", "SIGINT", ...
    double elapsedSeconds;
    uint64_t durationSeconds;  // asked for; 0: forever
    bool oneAtATime, keepGoing;
    uint64_t perCpuSeconds;
    uint64_t framesVerified;
    int mismatches, workersLost;
    std::vector<FailureRecord> failures;
};

std::string reportJson(const RunReport& report);
// Written as every file is: whole, under its name only when complete. False with `error`.
bool writeReport(const std::string& path, const RunReport& report, std::string& error);

}  // namespace quorvel
