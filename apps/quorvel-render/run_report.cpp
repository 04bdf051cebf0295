#include "quorvel-render/run_report.h"

#include <cerrno>
#include <cinttypes>
#include <cstdio>

#include "io/json_writer.h"
#include "io/program_version.h"
#include "io/whole_file.h"
#include "os/child_process.h"
#include "os/system_facts.h"

namespace quorvel {
namespace {

std::string hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "%016" PRIx64, value);
    return text;
}

// -1, where the system does not say, as null.
void placeValue(JsonWriter& json, const char* key, int value) {
    if (value < 0) {
        json.null(key);
    } else {
        json.value(key, value);
    }
}

void identityValues(JsonWriter& json, const SlotIdentity& identity, const std::string& microcode) {
    json.value("vendor", identity.vendor).value("brand", identity.brand);
    json.value("family", identity.family).value("model", identity.model).value("stepping", identity.stepping);
    json.value("microcode", microcode);
}

void frameTimes(JsonWriter& json, const FrameTimeStatistics& times) {
    json.beginObject("frameTimes");
    json.value("frames", times.frames).value("warmupFrames", times.warmupFrames);
    json.value("meanMs", 1e3 * times.mean)
        .value("medianMs", 1e3 * times.median)
        .value("p99Ms", 1e3 * times.p99);
    json.value("minMs", 1e3 * times.min).value("maxMs", 1e3 * times.max);
    json.value("coefficientOfVariation", times.coefficientOfVariation);
    json.endObject();
}

const char* kindName(FailureKind kind) {
    return kind == FailureKind::Mismatch ? "mismatch" : kind == FailureKind::Crash ? "crash" : "hang";
}

const char* retestName(RetestResult result) {
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
    return "not-run";
}

void retestValue(JsonWriter& json, const char* key, const Retest& retest) {
    if (retest.processor < 0) {
        json.null(key);
        return;
    }
    json.beginObject(key)
        .value("processor", retest.processor)
        .value("result", retestName(retest.result))
        .endObject();
}

void failure(JsonWriter& json, const FailureRecord& record) {
    json.beginObject();
    json.value("number", record.number)
        .value("secondsSinceStart", record.seconds)
        .value("kind", kindName(record.kind));
    json.value("processor", record.processor);
    placeValue(json, "core", record.core);
    placeValue(json, "package", record.package);
    identityValues(json, record.identity, record.microcode);
    json.value("frame", record.frame).value("width", record.width).value("height", record.height);
    json.value("approx", record.approx).value("expectedHash", hex(record.expectedHash));
    if (record.kind == FailureKind::Mismatch) {
        json.value("actualHash", hex(record.actualHash));
    } else {
        json.null("actualHash");
    }
    if (record.kind == FailureKind::Crash) {
        json.value("signal", signalName(record.signal));
    } else {
        json.null("signal");
    }
    placeValue(json, "firstDifferingRow", record.firstDifferingRow);
    if (record.wrongImage.empty()) {
        json.null("wrongImage");
    } else {
        json.value("wrongImage", record.wrongImage);
    }
    if (record.rightImage.empty()) {
        json.null("rightImage");
    } else {
        json.value("rightImage", record.rightImage);
    }
    retestValue(json, "retestSameProcessor", record.sameProcessor);
    retestValue(json, "retestOtherProcessor", record.otherProcessor);
    json.value("repeats", failureRepeats(record));
    json.endObject();
}

void verifyPart(JsonWriter& json, const RunReport& report) {
    json.beginObject("verify");
    json.value("verdict", report.verdict).value("stoppedBy", report.stoppedBy);
    json.value("elapsedSeconds", report.elapsedSeconds);
    if (report.durationSeconds == 0) {
        json.null("durationSeconds");
    } else {
        json.value("durationSeconds", report.durationSeconds);
    }
    json.value("oneAtATime", report.oneAtATime).value("perCpuSeconds", report.perCpuSeconds);
    json.value("keepGoing", report.keepGoing).value("framesVerified", report.framesVerified);
    json.value("mismatches", report.mismatches).value("workersLost", report.workersLost);
    json.beginArray("failures");
    for (const FailureRecord& record : report.failures) failure(json, record);
    json.endArray().endObject();
}

}  // namespace

std::string reportJson(const RunReport& report) {
    JsonWriter json;
    json.beginObject();
    json.value("schema", "quorvel-render-report")
        .value("schemaVersion", std::to_string(kReportSchemaMajor) + ".0");
    json.value("kind", report.kind);
    json.beginObject("program").value("name", "quorvel-render").value("version", quorvelVersion());
    json.value("compiler", compilerDescription()).endObject();
    const SystemDescription system = describeSystem();
    json.beginObject("system").value("os", system.name).value("kernel", system.kernel);
    json.value("machine", system.machine).endObject();
    json.beginObject("processor");
    identityValues(json, report.processorIdentity, report.processorMicrocode);
    json.endObject();
    json.beginObject("drawing").value("spanRoutine", report.spanRoutine).value("approx", report.approx);
    json.value("approxNative", report.approxNative).value("fingerprint", hex(report.fingerprint));
    json.value("width", report.width).value("height", report.height);
    json.value("firstFrame", report.firstFrame).value("lastFrame", report.lastFrame).endObject();
    json.beginArray("workers");
    for (const ReportWorker& worker : report.workers) {
        json.beginObject().value("processor", worker.processor);
        placeValue(json, "core", worker.core);
        placeValue(json, "package", worker.package);
        if (report.kind == "verify") {
            identityValues(json, worker.identity, worker.microcode);
            json.value("framesDrawn", worker.framesDrawn).value("framesVerified", worker.framesVerified);
            json.value("failures", worker.failures);
        }
        json.endObject();
    }
    json.endArray();
    frameTimes(json, report.times);
    if (report.kind == "hash") {
        json.beginArray("hashes");
        for (const auto& [frame, hash] : report.hashes)
            json.beginObject().value("frame", frame).value("hash", hex(hash)).endObject();
        json.endArray();
    }
    if (report.kind == "verify") verifyPart(json, report);
    json.endObject();
    return json.text();
}

bool writeReport(const std::string& path, const RunReport& report, std::string& error) {
    const std::string text = reportJson(report);
    WholeFile file;
    if (!file.open(path, error)) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file.stream()) == text.size();
    return file.commit(written ? 0 : errno, error);
}

}  // namespace quorvel
