#include "quorvel-render/verify_failure.h"

#include <cinttypes>
#include <cstdio>

#include "os/child_process.h"

namespace quorvel {
namespace {

std::string hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

RetestResult sameFailure(FailureKind kind) {
    return kind == FailureKind::Mismatch ? RetestResult::Wrong
           : kind == FailureKind::Crash  ? RetestResult::Crashed
                                         : RetestResult::Hung;
}

std::string resultText(RetestResult result) {
    switch (result) {
        case RetestResult::Right:
            return "right";
        case RetestResult::Wrong:
            return "wrong";
        case RetestResult::Crashed:
            return "crashed";
        case RetestResult::Hung:
            return "hung";
        case RetestResult::NotRun:
            break;
    }
    return "not retested";
}

}  // namespace

bool failureRepeats(const FailureRecord& record) {
    return record.sameProcessor.result == sameFailure(record.kind);
}

std::string identityText(const SlotIdentity& identity, const std::string& microcode) {
    std::string text = identity.brand[0] != '\0' ? identity.brand : identity.vendor;
    if (identity.vendor[0] != '\0') {
        text += ", " + std::string(identity.vendor) + " family " + std::to_string(identity.family) +
                " model " + std::to_string(identity.model) + " stepping " + std::to_string(identity.stepping);
    }
    if (!microcode.empty()) text += ", microcode " + microcode;
    return text.empty() ? "unidentified" : text;
}

std::string failureSummary(const FailureRecord& record) {
    const std::string frame = "frame " + std::to_string(record.frame);
    switch (record.kind) {
        case FailureKind::Mismatch:
            return "drew " + frame + " wrong";
        case FailureKind::Crash:
            return std::string("died of ") + signalName(record.signal) + " on " + frame;
        case FailureKind::Hang:
            break;
    }
    return "hung on " + frame + " (no progress for " + std::to_string(record.hangSeconds) + " s)";
}

std::string retestText(const FailureRecord& record) {
    const std::string same = "processor " + std::to_string(record.processor);
    std::string text = record.sameProcessor.result == RetestResult::NotRun ? "not retested on " + same
                       : failureRepeats(record)                            ? "repeats on " + same
                                                                           : "did not repeat on " + same;
    if (record.otherProcessor.processor >= 0) {
        text += "; " + resultText(record.otherProcessor.result) + " on processor " +
                std::to_string(record.otherProcessor.processor);
    } else {
        text += "; no other processor to retest on";
    }
    return text;
}

std::string failureLine(const FailureRecord& record) {
    char when[32];
    std::snprintf(when, sizeof when, "%.1f s", record.seconds);
    std::string line = "quorvel-render: failure " + std::to_string(record.number) + " at " + when +
                       ": processor " + std::to_string(record.processor) + " (core " +
                       std::to_string(record.core) + ", package " + std::to_string(record.package) + "; " +
                       identityText(record.identity, record.microcode) + ") " + failureSummary(record) +
                       " at " + std::to_string(record.width) + "x" + std::to_string(record.height) +
                       " (--approx " + record.approx + ")";
    if (record.kind == FailureKind::Mismatch) {
        line += ": hash " + hex(record.actualHash) + " where " + hex(record.expectedHash) + " is right";
        if (record.firstDifferingRow >= 0)
            line += ", first differing row " + std::to_string(record.firstDifferingRow);
    }
    line += "; " + retestText(record);
    if (!record.wrongImage.empty()) line += "; saved " + record.wrongImage;
    if (!record.rightImage.empty()) line += " and " + record.rightImage;
    return line + "\n";
}

}  // namespace quorvel
