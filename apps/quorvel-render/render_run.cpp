#include "quorvel-render/render_run.h"

#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "frame/frame_driver.h"
#include "io/frame_stream.h"
#include "io/quoted_text.h"
#include "io/utf8_path.h"
#include "io/whole_file.h"
#include "numeric/approx_fingerprint.h"
#include "platform/os/pages.h"
#include "platform/os/process_info.h"
#include "quorvel-render/frame_times.h"
#include "quorvel-render/progress_line.h"
#include "scene/preparation.h"

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

int fail(const std::string& message) {
    std::fprintf(stderr, "quorvel-render: %s\n", message.c_str());
    return 2;
}

// What a shell reports for a process that SIGPIPE ended.
constexpr int kClosedPipeStatus = 128 + 13;

// Standard output or error refused what was written to it: said once, status 1; a reader
// that went away ends the program quietly, as the signal does where there is one.
int failOutput() {
    if (writeFailedOnClosedPipe()) return kClosedPipeStatus;
    std::fprintf(stderr, "quorvel-render: cannot write the output: %s\n",
                 std::strerror(errno != 0 ? errno : EIO));
    return 1;
}

bool flushed(std::FILE* stream) { return std::fflush(stream) == 0 && !std::ferror(stream); }

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The outermost folder on the way to `folder` that does not exist yet; empty when all do.
std::filesystem::path firstMissingFolder(const std::filesystem::path& folder) {
    std::filesystem::path missing;
    std::error_code code;
    for (std::filesystem::path at = folder; !at.empty(); at = at.parent_path()) {
        if (std::filesystem::exists(std::filesystem::symlink_status(at, code))) break;
        missing = at;
        if (at == at.parent_path()) break;
    }
    return missing;
}

// Removes the empty folders from `folder` up to `outermost`, the ones a failed run made.
void removeMadeFolders(const std::filesystem::path& folder, const std::filesystem::path& outermost) {
    if (outermost.empty()) return;
    std::error_code code;
    for (std::filesystem::path at = folder; !at.empty(); at = at.parent_path()) {
        if (std::filesystem::is_directory(std::filesystem::symlink_status(at, code)))
            std::filesystem::remove(at, code);
        if (at == outermost || at == at.parent_path()) break;
    }
}

// Makes the folder and proves a file can be created in it, before any frame is drawn; a
// folder that cannot be used is left as it was found.
bool prepareOutputFolder(const std::string& folder, std::string& error) {
    const std::filesystem::path path = pathFromUtf8(folder);
    const std::filesystem::path made = firstMissingFolder(path);
    std::error_code created, checked;
    std::filesystem::create_directories(path, created);
    if (!std::filesystem::is_directory(path, checked)) {
        const std::error_code why = created ? created : checked;
        error =
            "cannot use output folder " + quotedValue(folder) + ": " + (why ? why.message() : "not a folder");
        removeMadeFolders(path, made);
        return false;
    }
    if (folderTakesFiles(folder, error)) return true;
    removeMadeFolders(path, made);
    return false;
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

std::string framePath(const RenderOptions& options, uint64_t frame) {
    char name[48];
    std::snprintf(name, sizeof name, "frame-%05" PRIu64 "%s", frame, extensionOf(options.format));
    return utf8Of(pathFromUtf8(options.outDir) / name);
}

// Where reports go: standard output, unless the frames themselves go there.
std::FILE* reportStream(const RenderOptions& options) { return options.streaming() ? stderr : stdout; }

void printBench(const RenderOptions& options, const FrameTimes& times, double totalSeconds) {
    std::fprintf(reportStream(options),
                 "bench: frames %" PRIu64
                 " size %dx%d total %.3f s fps %.1f renderFrame mean %.3f ms median %.3f ms "
                 "p99 %.3f ms peak-rss %ld KiB approx %s fingerprint %016" PRIx64 "\n",
                 options.frames, options.width, options.height, totalSeconds,
                 static_cast<double>(options.frames) / totalSeconds,
                 1e3 * times.totalSeconds / static_cast<double>(times.count),
                 1e3 * frameTimePercentile(times, 0.5), 1e3 * frameTimePercentile(times, 0.99),
                 peakResidentKilobytes(), options.approx->name, approxFingerprint(*options.approx));
}

// Everything but the frames' own drawing: saving, streaming, hashing.
int keepFrame(const RenderOptions& options, uint64_t frame, const uint32_t* color, const FrameState& frames,
              FrameStream& stream, size_t& nextRange) {
    if (options.hash) {
        std::fprintf(reportStream(options), "frame %" PRIu64 " hash %016" PRIx64 "\n", frame,
                     lastFrameHash(frames));
        if (!flushed(reportStream(options))) return failOutput();
    }
    if (!isSaved(options, frame, nextRange)) return 0;
    if (options.streaming()) return writeStreamFrame(stream, color) ? 0 : failOutput();
    std::string error;
    if (!writeImage(framePath(options, frame), options.format, color, options.width, options.height,
                    options.width, error)) {
        return fail(error);
    }
    return 0;
}

int renderFrames(const RenderOptions& options, const PreparedScene& scene) {
    std::string error;
    if (options.save != RenderOptions::Save::None && !options.streaming() &&
        !prepareOutputFolder(options.outDir, error))
        return fail(error);

    const size_t bytes =
        sizeof(uint32_t) * static_cast<size_t>(options.width) * static_cast<size_t>(options.height);
    auto* color = static_cast<uint32_t*>(allocatePages(bytes));
    auto* depth = static_cast<float*>(allocatePages(bytes));
    if (color == nullptr || depth == nullptr) {
        releasePages(color, bytes);
        releasePages(depth, bytes);
        std::fprintf(stderr, "quorvel-render: out of memory for frame buffers of %dx%d\n", options.width,
                     options.height);
        return 1;
    }
    const Viewport viewport = makeViewport(static_cast<uint16_t>(options.width),
                                           static_cast<uint16_t>(options.height), color, depth);
    FrameState frames = startFrames(scene, viewport);
    skipFrames(frames, options.from);
    if (options.hash) hashEveryFrame(frames, viewport);
    const RenderPath path = options.reference ? referenceRenderPath() : fastestRenderPath();

    FrameTimes times = makeFrameTimes();
    FrameStream stream{stdout, options.format, options.width, options.height, false, {}};
    ProgressLine progress = startProgressLine(options.quiet);
    size_t nextRange = 0;
    int status = 0;
    for (uint64_t done = 0; done < options.frames && status == 0; ++done) {
        const Clock::time_point frameStart = Clock::now();
        renderFrame(scene, viewport, frames, path);
        recordFrameTime(times, secondsSince(frameStart));
        status = keepFrame(options, options.from + done, color, frames, stream, nextRange);
        showProgress(progress, done + 1, options.frames);
    }
    clearProgress(progress);
    if (status == 0 && options.bench) {
        printBench(options, times, secondsSince(progress.start));
        if (!flushed(reportStream(options))) status = failOutput();
    }
    releasePages(color, bytes);
    releasePages(depth, bytes);
    return status;
}

}  // namespace

int runRender(const RenderOptions& options) {
    const PreparedScene scene = prepareBuiltInScene(*options.approx);

    std::string error;
    if (!options.textureOut.empty()) {
        const ImageFormat format = *imageFormatOf(options.textureOut);
        if (!writeImage(options.textureOut, format, scene.scene().texture.texels, kTextureSide, kTextureSide,
                        kTextureSide, error)) {
            return fail(error);
        }
        std::fprintf(stderr, "quorvel-render: wrote the texture to %s\n",
                     quotedValue(options.textureOut).c_str());
    }
    return options.renderFrames ? renderFrames(options, scene) : 0;
}

}  // namespace quorvel
