#include "render/render_run.h"

#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "pipeline/approx_fingerprint.h"
#include "pipeline/frame_driver.h"
#include "pipeline/frame_hash.h"
#include "platform/interrupts.h"
#include "platform/pages.h"
#include "platform/process_info.h"
#include "render/frame_stream.h"
#include "render/frame_times.h"
#include "render/progress_line.h"
#include "scene/preparation.h"

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

int fail(const std::string& message) {
    std::fprintf(stderr, "quorvel-render: %s\n", message.c_str());
    return 2;
}

// Standard output or error refused what was written to it: said once, status 1.
int failOutput() {
    std::fprintf(stderr, "quorvel-render: cannot write the output: %s\n",
                 std::strerror(errno != 0 ? errno : EIO));
    return 1;
}

bool flushed(std::FILE* stream) { return std::fflush(stream) == 0 && !std::ferror(stream); }

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Makes the folder and proves a file can be created in it, before any frame is drawn.
bool prepareOutputFolder(const std::string& folder, std::string& error) {
    std::error_code code;
    std::filesystem::create_directories(folder, code);
    if (!std::filesystem::is_directory(folder)) {
        error = "cannot use output folder " + folder + ": " + (code ? code.message() : "not a folder");
        return false;
    }
    const std::string probe = (std::filesystem::path(folder) / ".quorvel-write-probe").string();
    removeOnInterrupt(probe.c_str());
    std::FILE* file = std::fopen(probe.c_str(), "wb");
    const bool writable = file != nullptr;
    if (writable) {
        std::fclose(file);
        std::remove(probe.c_str());
    }
    removeOnInterrupt(nullptr);
    if (!writable) error = "cannot write into output folder " + folder;
    return writable;
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
    return (std::filesystem::path(options.outDir) / name).string();
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
int keepFrame(const RenderOptions& options, uint64_t frame, const uint32_t* colour, FrameStream& stream,
              size_t& nextRange) {
    const size_t pixels = static_cast<size_t>(options.width) * static_cast<size_t>(options.height);
    if (options.hash) {
        std::fprintf(reportStream(options), "frame %" PRIu64 " hash %016" PRIx64 "\n", frame,
                     frameHash(colour, pixels));
        if (!flushed(reportStream(options))) return failOutput();
    }
    if (!isSaved(options, frame, nextRange)) return 0;
    if (options.streaming()) return writeStreamFrame(stream, colour) ? 0 : failOutput();
    std::string error;
    if (!writeImage(framePath(options, frame), options.format, colour, options.width, options.height,
                    options.width, error)) {
        return fail(error);
    }
    return 0;
}

int renderFrames(const RenderOptions& options, const Scene& scene) {
    std::string error;
    if (options.save != RenderOptions::Save::None && !options.streaming() &&
        !prepareOutputFolder(options.outDir, error))
        return fail(error);

    const size_t bytes =
        sizeof(uint32_t) * static_cast<size_t>(options.width) * static_cast<size_t>(options.height);
    auto* colour = static_cast<uint32_t*>(allocatePages(bytes));
    auto* depth = static_cast<float*>(allocatePages(bytes));
    if (colour == nullptr || depth == nullptr) {
        releasePages(colour, bytes);
        releasePages(depth, bytes);
        return fail("cannot allocate frame buffers for " + std::to_string(options.width) + "x" +
                    std::to_string(options.height));
    }
    const Viewport viewport = makeViewport(static_cast<uint16_t>(options.width),
                                           static_cast<uint16_t>(options.height), colour, depth);
    FrameState frames = startFrames(scene, viewport);
    skipFrames(frames, options.from);
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
        status = keepFrame(options, options.from + done, colour, stream, nextRange);
        showProgress(progress, done + 1, options.frames);
    }
    clearProgress(progress);
    if (status == 0 && options.bench) {
        printBench(options, times, secondsSince(progress.start));
        if (!flushed(reportStream(options))) status = failOutput();
    }
    releasePages(colour, bytes);
    releasePages(depth, bytes);
    return status;
}

}  // namespace

int runRender(const RenderOptions& options) {
    static Scene scene;
    loadBuiltInScene(scene);
    prepareScene(scene, *options.approx);

    std::string error;
    if (!options.textureOut.empty()) {
        const ImageFormat format = *imageFormatOf(options.textureOut);
        if (!writeImage(options.textureOut, format, scene.texture.texels, kTextureSide, kTextureSide,
                        kTextureSide, error)) {
            return fail(error);
        }
        std::fprintf(stderr, "quorvel-render: wrote the texture to %s\n", options.textureOut.c_str());
    }
    return options.renderFrames ? renderFrames(options, scene) : 0;
}

}  // namespace quorvel
