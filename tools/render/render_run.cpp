#include "render/render_run.h"

#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <string>

#include "pipeline/frame_driver.h"
#include "pipeline/frame_hash.h"
#include "platform/pages.h"
#include "platform/process_info.h"
#include "render/frame_times.h"
#include "scene/preparation.h"

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

int fail(const std::string& message) {
    std::fprintf(stderr, "quorvel-render: %s\n", message.c_str());
    return 2;
}

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
    std::FILE* file = std::fopen(probe.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot write into output folder " + folder;
        return false;
    }
    std::fclose(file);
    std::remove(probe.c_str());
    return true;
}

bool isSaved(const RenderOptions& options, uint64_t frame, size_t& nextListed) {
    switch (options.save) {
        case RenderOptions::Save::All:
            return true;
        case RenderOptions::Save::None:
            return false;
        case RenderOptions::Save::Last:
            return frame + 1 == options.frames;
        case RenderOptions::Save::List:
            if (nextListed < options.saveList.size() && options.saveList[nextListed] == frame) {
                ++nextListed;
                return true;
            }
            return false;
    }
    return false;
}

std::string framePath(const RenderOptions& options, uint64_t frame) {
    char name[48];
    std::snprintf(name, sizeof name, "frame-%05" PRIu64 "%s", frame, extensionOf(options.format));
    return (std::filesystem::path(options.outDir) / name).string();
}

// Redrawn at most ten times a second, only on a terminal and only once a run has taken
// more than a second.
struct Progress {
    bool enabled;
    Clock::time_point start;
    Clock::time_point lastDrawn;
    bool drawn = false;
};

void showProgress(Progress& progress, uint64_t done, uint64_t total) {
    if (!progress.enabled) return;
    const Clock::time_point now = Clock::now();
    if (now - progress.start < std::chrono::seconds(1) ||
        now - progress.lastDrawn < std::chrono::milliseconds(100)) {
        return;
    }
    constexpr int kWidth = 40;
    const int filled = static_cast<int>(kWidth * done / total);
    std::fprintf(stderr, "\r[%-*s] %3d%% %" PRIu64 "/%" PRIu64, kWidth, std::string(filled, '#').c_str(),
                 static_cast<int>(100 * done / total), done, total);
    progress.lastDrawn = now;
    progress.drawn = true;
}

void clearProgress(const Progress& progress) {
    if (progress.drawn) std::fprintf(stderr, "\r%*s\r", 70, "");
}

void printBench(const RenderOptions& options, const FrameTimes& times, double totalSeconds) {
    std::printf("bench: frames %" PRIu64
                " size %dx%d total %.3f s fps %.1f renderFrame mean %.3f ms median %.3f ms "
                "p99 %.3f ms peak-rss %ld KiB\n",
                options.frames, options.width, options.height, totalSeconds,
                static_cast<double>(options.frames) / totalSeconds,
                1e3 * times.totalSeconds / static_cast<double>(times.count),
                1e3 * frameTimePercentile(times, 0.5), 1e3 * frameTimePercentile(times, 0.99),
                peakResidentKilobytes());
}

int renderFrames(const RenderOptions& options, const Scene& scene) {
    std::string error;
    if (options.save != RenderOptions::Save::None && !prepareOutputFolder(options.outDir, error))
        return fail(error);

    const size_t bytes = sizeof(uint32_t) * static_cast<size_t>(options.width) * options.height;
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
    const RenderPath path = options.reference ? referenceRenderPath() : fastestRenderPath();

    FrameTimes times = makeFrameTimes();
    Progress progress{isTerminal(stderr), Clock::now(), Clock::now()};
    size_t nextListed = 0;
    int status = 0;
    for (uint64_t frame = 0; frame < options.frames && status == 0; ++frame) {
        const Clock::time_point frameStart = Clock::now();
        renderFrame(scene, viewport, frames, path);
        recordFrameTime(times, secondsSince(frameStart));
        if (options.hash) {
            std::printf("frame %" PRIu64 " hash %016" PRIx64 "\n", frame,
                        frameHash(colour, bytes / sizeof(uint32_t)));
        }
        if (isSaved(options, frame, nextListed) &&
            !writeImage(framePath(options, frame), options.format, colour, options.width, options.height,
                        options.width, error)) {
            status = fail(error);
        }
        showProgress(progress, frame + 1, options.frames);
    }
    clearProgress(progress);
    if (status == 0 && options.bench) printBench(options, times, secondsSince(progress.start));
    releasePages(colour, bytes);
    releasePages(depth, bytes);
    return status;
}

}  // namespace

int runRender(const RenderOptions& options) {
    static Scene scene;
    loadBuiltInScene(scene);
    prepareScene(scene);

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
