#include "quorvel-render/verify_status.h"

#include <cinttypes>
#include <cstdio>

#include "quorvel-render/duration.h"

namespace quorvel {
namespace {

std::string plural(uint64_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::vector<std::string> liveLines(uint64_t elapsedSeconds, uint64_t durationSeconds,
                                   const std::string& drawing, const std::vector<LiveWorker>& workers) {
    std::string head = "verifying " + drawing + ": " + clockText(elapsedSeconds);
    if (durationSeconds == 0) {
        head += ", until stopped (Ctrl+C)";
    } else {
        const uint64_t left = durationSeconds > elapsedSeconds ? durationSeconds - elapsedSeconds : 0;
        head += " of " + clockText(durationSeconds) + ", " + clockText(left) + " left";
    }
    std::vector<std::string> lines{head};
    for (const LiveWorker& worker : workers) {
        char line[160];
        std::snprintf(line, sizeof line, "  processor %3d (core %d): %" PRIu64 " frames verified, %s, %s",
                      worker.processor, worker.core, worker.verified,
                      plural(uint64_t(worker.failures), "failure", "failures").c_str(), worker.state);
        lines.push_back(line);
    }
    return lines;
}

std::string verdictLine(const RunReport& report) {
    const std::string tested = plural(report.workers.size(), "processor", "processors") + " (" +
                               identityText(report.processorIdentity, report.processorMicrocode) + "), " +
                               std::to_string(report.width) + "x" + std::to_string(report.height) +
                               " --approx " + report.approx + ", " +
                               plural(report.framesVerified, "frame", "frames") + " verified in " +
                               clockText(uint64_t(report.elapsedSeconds + 0.5));
    std::string counts = plural(uint64_t(report.mismatches), "wrong frame", "wrong frames") + ", " +
                         plural(uint64_t(report.workersLost), "worker lost", "workers lost");
    // A signal cut the run short: said, so that a pasted line does not pass for a whole run.
    if (report.stoppedBy.starts_with("SIG") || report.stoppedBy.starts_with("signal "))
        counts += ", stopped early by " + report.stoppedBy;
    if (report.verdict == "fail") {
        const FailureRecord& first = report.failures.front();
        return "quorvel-render --verify: FAIL: processor " + std::to_string(first.processor) + " " +
               failureSummary(first) + ", " + retestText(first) + " (" + counts + "; " + tested + ")\n";
    }
    if (report.verdict == "pass") return "quorvel-render --verify: PASS: " + tested + ", " + counts + "\n";
    if (report.verdict == "error")
        return "quorvel-render --verify: NO VERDICT: the run failed (" + tested + ", " + counts + ")\n";
    return "quorvel-render --verify: NO VERDICT: no frame was verified (" + tested + ")\n";
}

}  // namespace quorvel
