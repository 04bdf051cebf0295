// Golden frames: any change that alters one bit of a frame fails here. The approximate
// reciprocal square root differs between processor makers, so each maker's hashes carry the
// fingerprint of the approximations they were drawn with, and are checked on any processor
// with that maker's model (and natively where the processor is that maker's). A mismatch
// leaves the frame it got, and for stored frames a difference image, in the build's
// golden-mismatch folder.
//
// Both makers' hashes were first drawn natively on their processors; each maker's model
// draws them exactly on any processor, so after an intended change to the pictures both
// files and the stored frames are rewritten anywhere by
//   QUORVEL_WRITE_GOLDEN=1 build/tests/quorvel_unit_tests --gtest_filter='GoldenFrames.*'

#include <gtest/gtest.h>
#include <stb_image.h>

#include <algorithm>
#include <cinttypes>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>
#include <sstream>

#include "../raster/fast_routines.h"
#include "io/image_file.h"
#include "numeric/approx_fingerprint.h"
#include "numeric/frame_hash.h"
#include "test_frame.h"

namespace quorvel {
namespace {

const std::string kGoldenFolder = QUORVEL_GOLDEN_DIR;
const std::string kAmdHashFile = kGoldenFolder + "/amd_frame_hashes.txt";
const std::string kIntelHashFile = kGoldenFolder + "/intel_frame_hashes.txt";
const std::string kMismatchFolder = QUORVEL_MISMATCH_DIR;
constexpr int kHashedFrames[] = {0, 1, 257, 600, 1200, 1261, 1823};  // 1261: the largest zoom
constexpr int kHashedSizes[][2] = {{1910, 1070}, {640, 480}};
constexpr int kWholeCycleSize[2] = {320, 240};  // hashed at every frame of the zoom cycle, Intel's set

// A maker's set of hashes: its file, the model that draws it, and where the model comes from.
struct MakersHashes {
    const std::string& file;
    const ApproxModel& model;
    const char* measuredOn;
    bool wholeCycle;
};
const MakersHashes kMakersHashes[] = {
    {kAmdHashFile, kAmdApprox, "an AMD EPYC (Zen 2; Zen 3 gives the same)", false},
    {kIntelHashFile, kIntelApprox, "an Intel Xeon (family 6, model 167)", true},
};
constexpr int kImageFrames[] = {0, 600, 1261};
constexpr int kImageWidth = 192, kImageHeight = 108;

std::vector<uint32_t> renderFrameNumber(int width, int height, int number, const ApproxModel& approx,
                                        const RenderPath& path) {
    TestFrame frame(width, height, approx);
    skipFrames(frame.frames, uint64_t(number));
    frame.render(path);
    return frame.color;
}

uint64_t hashOf(const TestFrame& frame) {
    return frameHash(frame.color.data(), frame.viewport.width, frame.viewport.height);
}

// Writes `pixels` into the mismatch folder and returns its path.
std::string keepMismatch(const std::string& name, const std::vector<uint32_t>& pixels, int width,
                         int height) {
    std::filesystem::create_directories(kMismatchFolder);
    const std::string path = kMismatchFolder + "/" + name;
    std::string error;
    EXPECT_TRUE(writeImage(path, ImageFormat::Png, pixels.data(), width, height, width, error)) << error;
    return path;
}

std::string imageName(int number, const char* suffix = "") {
    char name[64];
    std::snprintf(name, sizeof name, "frame-%dx%d-%05d%s.png", kImageWidth, kImageHeight, number, suffix);
    return name;
}

std::string imagePath(int number) { return kGoldenFolder + "/" + imageName(number); }

bool writingGoldens() { return std::getenv("QUORVEL_WRITE_GOLDEN") != nullptr; }

struct GoldenHashes {
    uint64_t fingerprint = 0;
    std::map<std::pair<int, int>, std::map<int, uint64_t>> hashes;  // (width, height) -> frame -> hash
};

GoldenHashes readGoldenHashes(const std::string& file) {
    GoldenHashes golden;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string first, second;
        fields >> first >> second;
        if (first == "fingerprint") {
            golden.fingerprint = std::stoull(second, nullptr, 16);
        } else {
            std::string hash;
            fields >> hash;
            const size_t x = first.find('x');
            golden
                .hashes[{std::stoi(first.substr(0, x)), std::stoi(first.substr(x + 1))}][std::stoi(second)] =
                std::stoull(hash, nullptr, 16);
        }
    }
    return golden;
}

// The maker's model whose approximations the hashes were drawn with.
const ApproxModel* modelWithFingerprint(uint64_t fingerprint) {
    for (const ApproxModel* model : {&kIntelApprox, &kAmdApprox}) {
        if (approxFingerprint(*model) == fingerprint) return model;
    }
    return nullptr;
}

// Draws every frame the set names, size by size in frame order, and fails for each that
// hashes differently. `sizes` limits the sizes checked when not empty.
void expectGoldenHashes(const GoldenHashes& golden, const ApproxModel& approx, const RenderPath& path,
                        const std::vector<std::pair<int, int>>& sizes = {}) {
    ASSERT_FALSE(golden.hashes.empty());
    for (const auto& [size, frames] : golden.hashes) {
        if (!sizes.empty() && std::find(sizes.begin(), sizes.end(), size) == sizes.end()) continue;
        const auto [width, height] = size;
        TestFrame frame(width, height, approx);
        int next = 0;
        for (const auto& [number, hash] : frames) {
            skipFrames(frame.frames, uint64_t(number - next));
            frame.render(path);
            next = number + 1;
            if (hashOf(frame) == hash) continue;
            const std::string name = std::to_string(width) + "x" + std::to_string(height) + "-" +
                                     std::to_string(number) + "-" + approx.name;
            ADD_FAILURE() << "frame " << number << " at " << width << "x" << height << " with --approx "
                          << approx.name << " hashes differently; the frame drawn is in "
                          << keepMismatch("frame-" + name + "-got.png", frame.color, width, height);
        }
    }
}

struct Difference {
    long pixels = 0;              // pixels with any channel off by more than the tolerance
    int largest = 0;              // largest channel difference anywhere
    std::vector<uint32_t> image;  // the largest channel difference per pixel, as grey
};

Difference compareWithImage(const std::vector<uint32_t>& frame, const std::string& path, int tolerance) {
    int width = 0, height = 0, channels = 0;
    stbi_uc* rgb = stbi_load(path.c_str(), &width, &height, &channels, 3);
    EXPECT_NE(rgb, nullptr) << path;
    EXPECT_EQ(width * height, long(frame.size())) << path;
    Difference difference;
    if (rgb == nullptr || width * height != long(frame.size())) return {long(frame.size()), 255, frame};
    difference.image.resize(frame.size());
    for (size_t i = 0; i < frame.size(); ++i) {
        const int ours[3] = {int(frame[i] >> 16 & 255), int(frame[i] >> 8 & 255), int(frame[i] & 255)};
        int worst = 0;
        for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(ours[c] - rgb[i * 3 + c]));
        difference.largest = std::max(difference.largest, worst);
        difference.pixels += worst > tolerance;
        difference.image[i] = uint32_t(worst) * 0x010101u;
    }
    stbi_image_free(rgb);
    return difference;
}

// The hashes of `frames` (in order) at one size, drawn with `model`, as lines of a hash file.
void writeHashLines(std::ofstream& out, int width, int height, const std::vector<int>& frames,
                    const ApproxModel& model) {
    TestFrame frame(width, height, model);
    int next = 0;
    for (int number : frames) {
        skipFrames(frame.frames, uint64_t(number - next));
        frame.render(fastestRenderPath());
        next = number + 1;
        char line[64];
        std::snprintf(line, sizeof line, "%dx%d %d %016" PRIx64 "\n", width, height, number, hashOf(frame));
        out << line;
    }
}

void writeHashFile(const MakersHashes& set) {
    std::ofstream out(set.file);
    out << "# Frame hashes (as --hash prints them): size frame hash, drawn with --approx " << set.model.name
        << ",\n# the model of the approximate reciprocals measured on " << set.measuredOn
        << ";\n# the same natively on that maker's processors. Rewritten by the golden test with\n"
           "# QUORVEL_WRITE_GOLDEN=1.\n";
    char line[64];
    std::snprintf(line, sizeof line, "fingerprint %016" PRIx64 "\n", approxFingerprint(set.model));
    out << line;
    const std::vector<int> hashed(std::begin(kHashedFrames), std::end(kHashedFrames));
    for (const auto& size : kHashedSizes) writeHashLines(out, size[0], size[1], hashed, set.model);
    if (set.wholeCycle) {
        std::vector<int> cycle(kZoomCycleFrames);
        std::iota(cycle.begin(), cycle.end(), 0);
        writeHashLines(out, kWholeCycleSize[0], kWholeCycleSize[1], cycle, set.model);
    }
}

void writeGoldens() {
    for (const MakersHashes& set : kMakersHashes) writeHashFile(set);
    for (int number : kImageFrames) {
        const auto frame =
            renderFrameNumber(kImageWidth, kImageHeight, number, kAmdApprox, fastestRenderPath());
        std::string error;
        ASSERT_TRUE(writeImage(imagePath(number), ImageFormat::Png, frame.data(), kImageWidth, kImageHeight,
                               kImageWidth, error))
            << error;
    }
}

// Each maker's hashes, on any processor, through the fast path with that maker's model; the
// Intel set includes the whole cycle at 320x240.
TEST(GoldenFrames, EachMakersHashesMatchWithItsModel) {
    if (writingGoldens()) {
        writeGoldens();
        GTEST_SKIP() << "golden frames rewritten";
    }
    for (const MakersHashes& set : kMakersHashes) {
        SCOPED_TRACE(set.file);
        const GoldenHashes golden = readGoldenHashes(set.file);
        ASSERT_EQ(modelWithFingerprint(golden.fingerprint), &set.model) << "another model's fingerprint";
        expectGoldenHashes(golden, set.model, fastestRenderPath());
    }
}

TEST(GoldenFrames, ReferenceRoutineMatchesThemToo) {
    for (const std::string& file : {kAmdHashFile, kIntelHashFile}) {
        SCOPED_TRACE(file);
        const GoldenHashes golden = readGoldenHashes(file);
        const ApproxModel* model = modelWithFingerprint(golden.fingerprint);
        ASSERT_NE(model, nullptr);
        expectGoldenHashes(golden, *model, referenceRenderPath(), {{640, 480}});
    }
}

// With the processor's own instructions, where they are one of the measured makers'.
TEST(GoldenFrames, NativeMatchesOnTheMakersProcessor) {
    if (!QUORVEL_X86) GTEST_SKIP() << "no approximate reciprocal instructions on this processor";
    for (const std::string& file : {kAmdHashFile, kIntelHashFile}) {
        const GoldenHashes golden = readGoldenHashes(file);
        if (golden.fingerprint != approxFingerprint(defaultApprox())) continue;
        SCOPED_TRACE(file);
        expectGoldenHashes(golden, defaultApprox(), fastestRenderPath(), {{1910, 1070}, {640, 480}});
        return;
    }
    GTEST_SKIP() << "this processor's approximate reciprocals are no measured maker's";
}

// The fast routines of the build other than the one frames are drawn with by default (the
// tests above): each maker's hashes with its model, and natively where this processor is one
// of the makers'.
class RoutineGoldenFrames : public FastRoutineTest {};
INSTANTIATE_TEST_SUITE_P(EveryFastRoutine, RoutineGoldenFrames, testing::ValuesIn(fastRoutines()),
                         routineName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(RoutineGoldenFrames);

TEST_P(RoutineGoldenFrames, EachMakersHashesMatch) {
    if (routine() == fastestRenderPath().spanRoutine)
        GTEST_SKIP() << "the routine frames are drawn with by default: the tests above";
    RenderPath path = fastestRenderPath();
    path.spanRoutine = routine();
    for (const MakersHashes& set : kMakersHashes) {
        SCOPED_TRACE(set.file);
        const GoldenHashes golden = readGoldenHashes(set.file);
        expectGoldenHashes(golden, set.model, path);
        if (QUORVEL_X86 && golden.fingerprint == approxFingerprint(defaultApprox()))
            expectGoldenHashes(golden, defaultApprox(), path, {{1910, 1070}, {640, 480}});
    }
}

// Stored frames, drawn with the model of the processor they were made on: exact anywhere.
TEST(GoldenFrames, SmallFramesMatchTheStoredImages) {
    if (writingGoldens()) GTEST_SKIP() << "golden frames being rewritten";
    for (int number : kImageFrames) {
        const auto frame =
            renderFrameNumber(kImageWidth, kImageHeight, number, kAmdApprox, fastestRenderPath());
        const Difference difference = compareWithImage(frame, imagePath(number), 0);
        if (difference.pixels > 0) {
            ADD_FAILURE() << "frame " << number << ": " << difference.pixels
                          << " pixels differ, largest channel difference " << difference.largest << "; got "
                          << keepMismatch(imageName(number, "-got"), frame, kImageWidth, kImageHeight)
                          << ", difference "
                          << keepMismatch(imageName(number, "-diff"), difference.image, kImageWidth,
                                          kImageHeight);
        }
    }
}

}  // namespace
}  // namespace quorvel
