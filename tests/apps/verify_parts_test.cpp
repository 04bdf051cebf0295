// The parts of --verify that need no processes: its options, durations, frame-time figures
// kept in fixed space, the lines a person reads and the JSON a program reads.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "io/json_writer.h"
#include "quorvel-render/duration.h"
#include "quorvel-render/frame_time_histogram.h"
#include "quorvel-render/render_options.h"
#include "quorvel-render/verify_failure.h"
#include "quorvel-render/verify_status.h"

namespace quorvel {
namespace {

TEST(Duration, UnitsForeverAndNonsense) {
    uint64_t seconds = 0;
    for (const auto& [text, expected] : {std::pair{"90s", 90}, {"10m", 600}, {"2h", 7200}, {"45", 45}}) {
        EXPECT_TRUE(parseDuration(text, true, seconds)) << text;
        EXPECT_EQ(seconds, uint64_t(expected)) << text;
    }
    EXPECT_TRUE(parseDuration("forever", true, seconds));
    EXPECT_EQ(seconds, 0u);
    for (const char* bad :
         {"forever", "0s", "", "s", "1d", "-5s", "1.5h", "99999999999h", "18446744073709551616"})
        EXPECT_FALSE(parseDuration(bad, false, seconds)) << bad;
    EXPECT_EQ(clockText(59), "0:59");
    EXPECT_EQ(clockText(725), "12:05");
    EXPECT_EQ(clockText(7200), "2:00:00");
}

RenderOptions parsedOptions(std::vector<std::string> arguments, bool& ok, std::string& error) {
    RenderOptions options;
    ok = parseRenderOptions(arguments, options, error);
    return options;
}

TEST(VerifyOptions, DefaultsAQuickCheckOfEveryProcessor) {
    bool ok = false;
    std::string error;
    const RenderOptions options = parsedOptions({"--verify"}, ok, error);
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(options.durationSeconds, 60u);
    EXPECT_EQ(options.framesPerProcessor, 0u);
    EXPECT_EQ(options.outDir, "verify-failures");
    EXPECT_TRUE(options.cpus.empty());
    EXPECT_FALSE(options.keepGoing || options.oneAtATime);
    // Frames without a time: the run ends when they are drawn.
    const RenderOptions frames =
        parsedOptions({"--verify", "--frames", "1824", "--cpus", "3-5,0"}, ok, error);
    ASSERT_TRUE(ok) << error;
    EXPECT_EQ(frames.framesPerProcessor, 1824u);
    EXPECT_EQ(frames.durationSeconds, 0u);
    EXPECT_EQ(frames.cpus, (std::vector<int>{3, 4, 5, 0}));
}

TEST(VerifyOptions, WhatGoesOnlyWithItOrNotWithIt) {
    const std::vector<std::vector<std::string>> refused = {
        {"--verify", "--size", "640x480"},    {"--verify", "--bench"},
        {"--verify", "--save", "all"},        {"--one-at-a-time"},
        {"--verify", "--per-cpu-time", "1m"}, {"--verify", "--cpus", "1-0"},
        {"--verify", "--cpus", "a"},          {"--verify", "--report", "r.txt"},
        {"--hash", "--repor", "r.json"},      {"--report", "r.json"},
        {"--verify", "--duration", "0"},
    };
    for (const auto& arguments : refused) {
        bool ok = true;
        std::string error;
        parsedOptions(arguments, ok, error);
        EXPECT_FALSE(ok) << arguments.back();
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

TEST(FrameTimeHistogram, FiguresWithinHalfAPerCentOfExact) {
    FrameTimeHistogram histogram{};
    // 1000 frames of 1..1000 us, and one of 50 ms.
    for (int i = 1; i <= 1000; ++i) addFrameTime(histogram, i * 1e-6);
    FrameTimeHistogram slow{};
    addFrameTime(slow, 0.05);
    mergeFrameTimes(histogram, slow);
    const FrameTimeStatistics figures = statisticsOf(histogram);
    EXPECT_EQ(figures.frames, 1001u);
    EXPECT_NEAR(figures.median, 501e-6, 501e-6 * 0.006);
    EXPECT_NEAR(figures.p99, 991e-6, 991e-6 * 0.006);
    EXPECT_DOUBLE_EQ(figures.min, 1e-6);
    EXPECT_DOUBLE_EQ(figures.max, 0.05);
    EXPECT_NEAR(figures.mean, (500500e-6 + 0.05) / 1001, 1e-12);
    EXPECT_GT(figures.coefficientOfVariation, 1.0);  // the one slow frame
    EXPECT_EQ(statisticsOf(FrameTimeHistogram{}).frames, 0u);
}

TEST(JsonWriter, NestsAndEscapesAnyBytes) {
    JsonWriter json;
    json.beginObject().value("text", "a\"b\\c\n\x01").value("bad", "\xff\xc3\xa9").null("none");
    json.beginArray("list").value(nullptr, 1).value(nullptr, 2.5).value(nullptr, true).endArray();
    json.beginObject("empty").endObject().endObject();
    EXPECT_EQ(json.text(),
              "{\n  \"text\": \"a\\\"b\\\\c\\u000a\\u0001\",\n  \"bad\": \"\xEF\xBF\xBD\xC3\xA9\",\n  "
              "\"none\": null,\n"
              "  \"list\": [\n    1,\n    2.5,\n    true\n  ],\n  \"empty\": {}\n}\n");
}

FailureRecord mismatchOnProcessor5() {
    FailureRecord record{};
    record.number = 1;
    record.seconds = 12.5;
    record.kind = FailureKind::Mismatch;
    record.processor = 5;
    record.core = 2;
    record.package = 0;
    std::strcpy(record.identity.vendor, "GenuineIntel");
    std::strcpy(record.identity.brand, "Some Processor");
    record.identity.family = 6;
    record.identity.model = 183;
    record.identity.stepping = 1;
    record.microcode = "0x129";
    record.frame = 1261;
    record.width = 1910;
    record.height = 1070;
    record.approx = "intel";
    record.expectedHash = 0x6cc0488f08166f66;
    record.actualHash = 0x1;
    record.firstDifferingRow = 412;
    record.sameProcessor = {5, RetestResult::Wrong};
    record.otherProcessor = {0, RetestResult::Right};
    return record;
}

TEST(VerifyText, AFailureNamesItsProcessorAndWhatTheRetestsFound) {
    FailureRecord record = mismatchOnProcessor5();
    EXPECT_EQ(
        failureLine(record),
        "quorvel-render: failure 1 at 12.5 s: processor 5 (core 2, package 0; Some Processor, GenuineIntel "
        "family 6 model 183 stepping 1, microcode 0x129) drew frame 1261 wrong at 1910x1070 (--approx "
        "intel): "
        "hash 0000000000000001 where 6cc0488f08166f66 is right, first differing row 412; repeats on "
        "processor 5; "
        "right on processor 0\n");
    record.sameProcessor.result = RetestResult::Right;
    record.otherProcessor = {};
    EXPECT_EQ(retestText(record), "did not repeat on processor 5; no other processor to retest on");
    record.kind = FailureKind::Crash;
    record.signal = 4;
    record.sameProcessor.result = RetestResult::Crashed;
    EXPECT_EQ(failureSummary(record), "died of SIGILL on frame 1261");
    EXPECT_TRUE(failureRepeats(record));
}

TEST(VerifyText, TheVerdictLine) {
    RunReport report{};
    report.width = 1910;
    report.height = 1070;
    report.approx = "intel";
    report.elapsedSeconds = 3600.2;
    report.framesVerified = 2000000;
    report.workers.push_back({5, 2, 0, mismatchOnProcessor5().identity, "0x129", 0, 0, 0});
    report.processorIdentity = mismatchOnProcessor5().identity;
    report.processorMicrocode = "0x129";
    report.verdict = "pass";
    report.stoppedBy = "time";
    EXPECT_EQ(
        verdictLine(report),
        "quorvel-render --verify: PASS: 1 processor (Some Processor, GenuineIntel family 6 model 183 "
        "stepping 1, "
        "microcode 0x129), 1910x1070 --approx intel, 2000000 frames verified in 1:00:00, 0 wrong frames, "
        "0 workers lost\n");
    // Cut short by a signal, or with a worker that could not be started: never a plain pass.
    report.stoppedBy = "SIGHUP";
    EXPECT_TRUE(verdictLine(report).ends_with(", 0 workers lost, stopped early by SIGHUP\n"));
    report.verdict = "error";
    report.stoppedBy = "error";
    EXPECT_TRUE(
        verdictLine(report).starts_with("quorvel-render --verify: NO VERDICT: the run failed (1 processor"));
    report.verdict = "fail";
    report.mismatches = 1;
    report.failures.push_back(mismatchOnProcessor5());
    EXPECT_EQ(verdictLine(report).substr(0, 100),
              "quorvel-render --verify: FAIL: processor 5 drew frame 1261 wrong, repeats on processor 5; "
              "right on p");
    const std::vector<std::string> live =
        liveLines(30, 60, "1910x1070 --approx intel", {{5, 2, 1234, 1, "drawing"}});
    EXPECT_EQ(live[0], "verifying 1910x1070 --approx intel: 0:30 of 1:00, 0:30 left");
    EXPECT_EQ(live[1], "  processor   5 (core 2): 1234 frames verified, 1 failure, drawing");
}

}  // namespace
}  // namespace quorvel
