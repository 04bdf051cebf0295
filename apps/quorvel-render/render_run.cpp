#include "quorvel-render/render_run.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "frame/frame_driver.h"
#include "frame/worker_pool.h"
#include "frame/worker_processors.h"
#include "io/frame_stream.h"
#include "io/quoted_text.h"
#include "io/utf8_path.h"
#include "io/whole_file.h"
#include "numeric/approx_fingerprint.h"
#include "os/process_info.h"
#include "os/processors.h"
#include "os/system_facts.h"
#include "quorvel-render/bench_plot.h"
#include "quorvel-render/frame_times.h"
#include "quorvel-render/output_folder.h"
#include "quorvel-render/progress_line.h"
#include "quorvel-render/run_report.h"
#include "raster/span_routines.h"
#include "scene/preparation.h"

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

// A path named on the command line that cannot be used: found before anything is drawn.
int refuse(const std::string& message) {
    std::fprintf(stderr, "quorvel-render: %s\n", message.c_str());
    return 2;
}

// Output that failed while the run went on (a full disk, a file in the way).
int failWhileRunning(const std::string& message) {
    std::fprintf(stderr, "quorvel-render: %s\n", message.c_str());
    return 1;
}

// Standard output or error refused what was written to it: said once, status 1; a reader
// that went away ends the program quietly, as the signal does where there is one.
int failOutput(const WriteFailure& failure) {
    if (failedOnClosedPipe(failure)) return kClosedPipeStatus;
    std::fprintf(stderr, "quorvel-render: cannot write the output: %s\n",
                 std::strerror(failure.error != 0 ? failure.error : EIO));
    return 1;
}

// The same, after wiping the progress line, which must not change the reason first.
int failOutputBelow(ProgressLine& progress, std::FILE* stream) {
    const WriteFailure failure = lastWriteFailure(stream);
    clearProgress(progress);
    return failOutput(failure);
}

bool flushed(std::FILE* stream) { return std::fflush(stream) == 0 && !std::ferror(stream); }

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Everything named on the command line that is written is checked before anything is drawn:
// the output folder first (it may be made, and hold the other files), then the files' places.
// The folders made are removed again when something is refused.
bool prepareOutputs(const RenderOptions& options, std::filesystem::path& made, std::string& error) {
    const bool toFolder =
        options.renderFrames && options.save != RenderOptions::Save::None && !options.streaming();
    if (toFolder && !prepareOutputFolder(options.outDir, made, error)) return false;
    const bool placesTakeFiles = (options.textureOut.empty() || placeTakesFile(options.textureOut, error)) &&
                                 (options.benchPlot.empty() || placeTakesFile(options.benchPlot, error)) &&
                                 (options.report.empty() || placeTakesFile(options.report, error));
    if (!placesTakeFiles) removeMadeFolders(pathFromUtf8(options.outDir), made);
    return placesTakeFiles;
}

// Whether frame `frame` is saved; `nextRange` walks the ascending save list.
bool isSaved(const RenderOptions& options, uint64_t frame, size_t& nextRange) {
    switch (options.save) {
        case RenderOptions::Save::All:
            return true;
        case RenderOptions::Save::None:
            return false;
        case RenderOptions::Save::Last:
            return frame == options.lastFrame();
        case RenderOptions::Save::List:
            while (nextRange < options.saveList.size() && options.saveList[nextRange].last < frame)
                ++nextRange;
            return nextRange < options.saveList.size() && options.saveList[nextRange].first <= frame;
    }
    return false;
}

// Frame numbers take as many digits as the run's last one, at least five, so that a
// folder's names sort in frame order.
int frameNumberDigits(const RenderOptions& options) {
    return std::max<int>(5, int(std::to_string(options.lastFrame()).size()));
}

std::string framePath(const RenderOptions& options, uint64_t frame) {
    char name[64];
    std::snprintf(name, sizeof name, "frame-%0*" PRIu64 "%s", frameNumberDigits(options), frame,
                  extensionOf(options.format));
    return utf8Of(pathFromUtf8(options.outDir) / name);
}

// Frame files in the output folder, whoever wrote them.
uint64_t frameFilesIn(const std::string& folder) {
    std::error_code code;
    uint64_t count = 0;
    for (std::filesystem::directory_iterator entry(pathFromUtf8(folder), code), end; !code && entry != end;
         entry.increment(code)) {
        const std::string name = utf8Of(entry->path().filename());
        if (name.starts_with("frame-") && (name.ends_with(".png") || name.ends_with(".ppm"))) ++count;
    }
    return count;
}

std::string formatName(ImageFormat format) {
    return format == ImageFormat::Png ? "PNG" : format == ImageFormat::Ppm ? "PPM" : "Y4M";
}

// What the run did, in one line: drawn, saved where, and anything else in the folder.
std::string runSummary(const RenderOptions& options, uint64_t saved, double seconds) {
    std::string line = "quorvel-render: drew " + std::to_string(options.frames) +
                       (options.frames == 1 ? " frame" : " frames");
    line += options.frames == 1
                ? " (" + std::to_string(options.from) + ")"
                : " (" + std::to_string(options.from) + " to " + std::to_string(options.lastFrame()) + ")";
    char timing[64];
    std::snprintf(timing, sizeof timing, " at %dx%d in %.1f s; ", options.width, options.height, seconds);
    line += timing;
    if (saved == 0) return line + "saved none (--save chooses)\n";
    if (options.streaming())
        return line + "streamed " + std::to_string(saved) + " as " + formatName(options.format) +
               " to standard output\n";
    line += "saved " + std::to_string(saved) + " as " + formatName(options.format) + " in " +
            quotedValue(options.outDir);
    const uint64_t inFolder = frameFilesIn(options.outDir), others = inFolder - std::min(saved, inFolder);
    if (others > 0)
        line += ", which also holds " + std::to_string(others) + " frame files this run did not write";
    return line + "\n";
}

// The share of the frame inside the strips its solid was drawn in.
float drawnShare(const DrawnStrips& drawn, int width) {
    int64_t area = 0;
    for (int strip = 0; strip < stripCount(drawn); ++strip) {
        const PixelRect rect = stripRect(drawn, strip);
        if (!isEmpty(rect)) area += int64_t(rect.bottom - rect.top) * (rect.right - rect.left);
    }
    return float(double(area) / (double(width) * double(drawn.rows)));
}

// Where reports go: standard output, unless the frames themselves go there.
std::FILE* reportStream(const RenderOptions& options) { return options.streaming() ? stderr : stdout; }

void printBench(const RenderOptions& options, const FrameTimeSummary& summary, double totalSeconds,
                const RenderPath& path) {
    const std::string processors = path.workers != nullptr ? processorList(*path.workers) : "calling-thread";
    std::fprintf(reportStream(options),
                 "bench: frames %" PRIu64
                 " size %dx%d total %.3f s fps %.1f renderFrame mean %.3f ms median %.3f ms "
                 "p99 %.3f ms max %.3f ms routine %s peak-rss %ld KiB approx %s fingerprint %016" PRIx64
                 " workers %d processors %s\n",
                 options.frames, options.width, options.height, totalSeconds,
                 static_cast<double>(options.frames) / totalSeconds, 1e3 * summary.mean, 1e3 * summary.median,
                 1e3 * summary.p99, 1e3 * summary.max, spanRoutineName(path.spanRoutine),
                 peakResidentKilobytes(), options.approx->name, approxFingerprint(*options.approx),
                 path.workers != nullptr ? path.workers->count : 1, processors.c_str());
}

// Everything but the frames' own drawing: saving, streaming, hashing.
int keepFrame(const RenderOptions& options, uint64_t frame, const uint32_t* color, const FrameState& frames,
              FrameStream& stream, size_t& nextRange, ProgressLine& progress, uint64_t& saved) {
    if (options.hash) {
        char line[64];
        std::snprintf(line, sizeof line, "frame %" PRIu64 " hash %016" PRIx64 "\n", frame,
                      lastFrameHash(frames));
        printAboveProgress(progress, reportStream(options), line);
        if (!flushed(reportStream(options))) return failOutputBelow(progress, reportStream(options));
    }
    if (!isSaved(options, frame, nextRange)) return 0;
    ++saved;
    if (options.streaming())
        return writeStreamFrame(stream, color) ? 0 : failOutputBelow(progress, stream.file);
    std::string error;
    if (!writeImage(framePath(options, frame), options.format, color, options.width, options.height,
                    options.width, error)) {
        --saved;
        clearProgress(progress);
        return failWhileRunning(error);
    }
    return 0;
}

// The plot of the run's frame times, as one whole file.
int writeBenchPlot(const RenderOptions& options, const FrameTimes& times, const FrameTimeSummary& summary) {
    char title[160];
    std::snprintf(title, sizeof title,
                  "quorvel-render: frames %" PRIu64 " to %" PRIu64 " at %dx%d, approx %s", options.from,
                  options.lastFrame(), options.width, options.height, options.approx->name);
    const std::string svg = benchPlotSvg(times, summary, options.from, title);
    WholeFile file;
    std::string error;
    if (!file.open(options.benchPlot, error)) return failWhileRunning(error);
    const bool written = std::fwrite(svg.data(), 1, svg.size(), file.stream()) == svg.size();
    if (!file.commit(written ? 0 : errno, error)) return failWhileRunning(error);
    return 0;
}

// What --report says of a --bench or --hash run.
// `allowed` is read before the pool pins this thread to one of them.
int writeRunReport(const RenderOptions& options, const PreparedScene& scene, const RenderPath& path,
                   const std::vector<LogicalProcessor>& allowed, const FrameTimes& times,
                   const std::vector<std::pair<uint64_t, uint64_t>>& hashes) {
    RunReport report{};
    report.kind = options.hash ? "hash" : "bench";
    report.spanRoutine = spanRoutineName(path.spanRoutine);
    report.approx = options.approx->name;
    report.approxNative = isNative(scene.approx());
    report.fingerprint = approxFingerprint(*options.approx);
    report.width = options.width;
    report.height = options.height;
    report.firstFrame = options.from;
    report.lastFrame = options.lastFrame();
    for (int w = 0; w < (path.workers != nullptr ? path.workers->count : 1); ++w) {
        LogicalProcessor placed{path.workers != nullptr ? path.workers->processors[w] : -1, -1, -1};
        for (const LogicalProcessor& processor : allowed)
            if (processor.number == placed.number) placed = processor;
        report.workers.push_back({placed.number, placed.core, placed.package, {}, "", 0, 0, 0});
    }
    report.processorIdentity = thisProcessorsIdentity();
    report.processorMicrocode = microcodeOf(allowed.front().number);
    report.times = reportStatistics(times);
    report.hashes = hashes;
    std::string error;
    return writeReport(options.report, report, error) ? 0 : failWhileRunning(error);
}

int renderFrames(const RenderOptions& options, const PreparedScene& scene) {
    FrameBuffers buffers;
    if (!allocateFrameBuffers(options.width, options.height, 1, buffers)) {
        std::fprintf(stderr, "quorvel-render: out of memory for frame buffers of %dx%d\n", options.width,
                     options.height);
        return 1;
    }
    FrameState frames = startFrames(scene, viewportOf(buffers));
    skipFrames(frames, options.from);
    if (options.hash) hashEveryFrame(frames);
    // The band workers, kept in a pool from the first frame to the last.
    const std::vector<LogicalProcessor> allowed = allowedProcessors();
    int processors = 0;
    BandWorkers workers = workersForThreadOption(options.threads, processors);
    if (!options.reference) {
        if (workers.count > processors)
            std::fprintf(stderr,
                         "quorvel-render: %d workers on %d processors: some processors run more than one\n",
                         workers.count, processors);
        startWorkerPool(workers);
    }
    const WorkerPoolInUse poolInUse{workers};
    RenderPath path = options.reference ? referenceRenderPath() : fastestRenderPath(workers);
    if (options.spanRoutine != nullptr) path.spanRoutine = options.spanRoutine;

    FrameTimes times;
    const bool timed = options.bench || !options.benchPlot.empty() || !options.report.empty();
    std::vector<std::pair<uint64_t, uint64_t>> hashes;  // for --report
    FrameStream stream{stdout, options.format, options.width, options.height, false, {}};
    ProgressLine progress = startProgressLine(options.quiet);
    size_t nextRange = 0;
    uint64_t saved = 0;
    int status = 0;
    for (uint64_t done = 0; done < options.frames && status == 0; ++done) {
        const Clock::time_point frameStart = Clock::now();
        const DrawnFrame drawn = renderFrame(scene, frames, path);
        if (timed) recordFrameTime(times, secondsSince(frameStart), drawnShare(frames.drawn, options.width));
        if (options.hash && !options.report.empty())
            hashes.emplace_back(options.from + done, lastFrameHash(frames));
        status =
            keepFrame(options, options.from + done, drawn.pixels, frames, stream, nextRange, progress, saved);
        showProgress(progress, done + 1, options.frames);
    }
    const double seconds = secondsSince(progress.start);
    clearProgress(progress);
    const FrameTimeSummary summary = summarizeFrameTimes(times);
    if (status == 0 && options.bench) {
        printBench(options, summary, seconds, path);
        if (!flushed(reportStream(options))) status = failOutput(lastWriteFailure(reportStream(options)));
    }
    if (status == 0 && !options.benchPlot.empty()) status = writeBenchPlot(options, times, summary);
    if (status == 0 && !options.report.empty())
        status = writeRunReport(options, scene, path, allowed, times, hashes);
    if (status == 0 && progress.enabled) std::fputs(runSummary(options, saved, seconds).c_str(), stderr);
    return status;
}

}  // namespace

int runRender(const RenderOptions& options) {
    // As compressors do: binary frames are not poured onto a terminal.
    const bool framesToStandardOutput =
        options.renderFrames && options.streaming() && options.save != RenderOptions::Save::None;
    if (framesToStandardOutput && isTerminal(stdout))
        return refuse(
            "--out -: frames are not written to a terminal; redirect standard output to a file or a pipe");
    std::filesystem::path made;
    std::string error;
    if (!prepareOutputs(options, made, error)) return refuse(error);
    // However the run ends (out of memory before a frame is written, say), a folder it made
    // and left empty goes again; one holding anything stays.
    struct LeftEmptyRemoved {
        const std::string& folder;
        const std::filesystem::path& made;
        ~LeftEmptyRemoved() { removeMadeFolders(pathFromUtf8(folder), made); }
    } leftEmptyRemoved{options.outDir, made};
    const PreparedScene scene = prepareBuiltInScene(*options.approx);

    if (!options.textureOut.empty()) {
        const ImageFormat format = *imageFormatOf(options.textureOut);
        if (!writeImage(options.textureOut, format, scene.scene().texture.texels, kTextureSide, kTextureSide,
                        kTextureSide, error)) {
            return failWhileRunning(error);
        }
        if (!options.quiet)
            std::fprintf(stderr, "quorvel-render: wrote the texture to %s\n",
                         quotedValue(options.textureOut).c_str());
    }
    return options.renderFrames ? renderFrames(options, scene) : 0;
}

}  // namespace quorvel
