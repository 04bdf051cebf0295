// Golden frames: any change that alters one bit of a frame fails here. The approximate
// reciprocal square root differs between processor makers, so the hashes carry a
// fingerprint of the processor they came from and are skipped elsewhere; small stored
// frames are compared everywhere, exactly on that processor and with a tight tolerance
// off it. A mismatch leaves the frame it got, and for stored frames a difference image,
// in the build's golden-mismatch folder.
//
// Regenerate after an intended change: QUORVEL_WRITE_GOLDEN=1 build/tests/quorvel_unit_tests
//   --gtest_filter='GoldenFrames.*'

#include <gtest/gtest.h>
#include <stb_image.h>

#include <cinttypes>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "pipeline/approx_fingerprint.h"
#include "pipeline/frame_hash.h"
#include "render/image_file.h"
#include "test_frame.h"

namespace quorvel {
namespace {

const std::string kGoldenFolder = QUORVEL_GOLDEN_DIR;
const std::string kHashFile = kGoldenFolder + "/frame_hashes.txt";
const std::string kMismatchFolder = QUORVEL_MISMATCH_DIR;
constexpr int kHashedFrames[] = {0, 1, 257, 600, 1200, 1261, 1823};  // 1261: the largest zoom
constexpr int kHashedSizes[][2] = {{1910, 1070}, {640, 480}};
constexpr int kImageFrames[] = {0, 600, 1261};
constexpr int kImageWidth = 192, kImageHeight = 108;

std::vector<uint32_t> renderFrameNumber(int width, int height, int number) {
    TestFrame frame(width, height);
    skipFrames(frame.frames, uint64_t(number));
    frame.render(fastestRenderPath());
    return frame.colour;
}

uint64_t hashOf(const std::vector<uint32_t>& frame) { return frameHash(frame.data(), frame.size()); }

// Writes `pixels` into the mismatch folder and returns its path.
std::string keepMismatch(const std::string& name, const std::vector<uint32_t>& pixels, int width,
                         int height) {
    std::filesystem::create_directories(kMismatchFolder);
    const std::string path = kMismatchFolder + "/" + name;
    std::string error;
    EXPECT_TRUE(writeImage(path, ImageFormat::Png, pixels.data(), width, height, width, error)) << error;
    return path;
}

std::string hashKey(int width, int height, int number) {
    return std::to_string(width) + "x" + std::to_string(height) + " " + std::to_string(number);
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
    std::map<std::string, uint64_t> hashes;
};

GoldenHashes readGoldenHashes() {
    GoldenHashes golden;
    std::ifstream in(kHashFile);
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
            golden.hashes[first + " " + second] = std::stoull(hash, nullptr, 16);
        }
    }
    return golden;
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

void writeGoldens(uint64_t fingerprint) {
    std::ofstream out(kHashFile);
    out << "# FNV-1a hashes of colour buffers: size frame hash. The fingerprint names the\n"
           "# processor's approximate reciprocal (square root) tables they were made with.\n";
    char line[64];
    std::snprintf(line, sizeof line, "fingerprint %016" PRIx64 "\n", fingerprint);
    out << line;
    for (const auto& size : kHashedSizes) {
        for (int number : kHashedFrames) {
            const auto frame = renderFrameNumber(size[0], size[1], number);
            std::snprintf(line, sizeof line, " %016" PRIx64 "\n", hashOf(frame));
            out << hashKey(size[0], size[1], number) << line;
        }
    }
    for (int number : kImageFrames) {
        const auto frame = renderFrameNumber(kImageWidth, kImageHeight, number);
        std::string error;
        ASSERT_TRUE(writeImage(imagePath(number), ImageFormat::Png, frame.data(), kImageWidth, kImageHeight,
                               kImageWidth, error))
            << error;
    }
}

bool onTheGoldensProcessor() { return readGoldenHashes().fingerprint == approxFingerprint(); }

TEST(GoldenFrames, HashesMatchToTheBitOnTheirOwnProcessor) {
    if (writingGoldens()) {
        writeGoldens(approxFingerprint());
        GTEST_SKIP() << "golden frames rewritten";
    }
    const GoldenHashes golden = readGoldenHashes();
    ASSERT_FALSE(golden.hashes.empty()) << "no golden hashes in " << kHashFile;
    if (golden.fingerprint != approxFingerprint())
        GTEST_SKIP() << "the golden hashes come from a processor whose approximate reciprocals differ";
    for (const auto& size : kHashedSizes) {
        for (int number : kHashedFrames) {
            const auto frame = renderFrameNumber(size[0], size[1], number);
            const std::string key = hashKey(size[0], size[1], number);
            ASSERT_EQ(golden.hashes.count(key), 1u) << key;
            if (hashOf(frame) != golden.hashes.at(key)) {
                ADD_FAILURE() << "frame " << key << " hashes differently; the frame drawn is in "
                              << keepMismatch("frame-" + std::to_string(size[0]) + "x" +
                                                  std::to_string(size[1]) + "-" + std::to_string(number) +
                                                  "-got.png",
                                              frame, size[0], size[1]);
            }
        }
    }
}

// On the hashes' own processor the small frames must match exactly; elsewhere a few edge
// pixels may flip and shading may move by a level or two.
TEST(GoldenFrames, SmallFramesMatchTheStoredImages) {
    if (writingGoldens()) GTEST_SKIP() << "golden frames being rewritten";
    const bool sameProcessor = onTheGoldensProcessor();
    for (int number : kImageFrames) {
        const auto frame = renderFrameNumber(kImageWidth, kImageHeight, number);
        const Difference difference = compareWithImage(frame, imagePath(number), sameProcessor ? 0 : 3);
        const long allowed = sameProcessor ? 0 : long(frame.size()) / 200;
        if (difference.pixels > allowed) {
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
