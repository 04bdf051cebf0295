// The known answers --verify checks against: each table belongs to its model, agrees with the
// golden hashes stored apart from it (every frame of Intel's cycle at 320x240, seven frames of
// each maker at 1910x1070), and, in the slow tier, a sample of its frames drawn again by the
// reference routine and the whole small cycle by the fast path give exactly its hashes.

#include "frame/known_frame_hashes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "frame/animation.h"
#include "numeric/approx_fingerprint.h"
#include "numeric/frame_hash.h"
#include "test_frame.h"

namespace quorvel {
namespace {

const ApproxModel& modelOf(const KnownFrameHashes& table) {
    std::string why;
    const ApproxModel* model = approxModelNamed(table.model, why);
    EXPECT_NE(model, nullptr) << table.model;
    return model != nullptr ? *model : kIntelApprox;
}

TEST(KnownFrameHashes, EveryModelAtBothSizesWithItsFingerprint) {
    for (const char* model : {"amd", "intel"}) {
        for (const auto& [width, height] : {std::pair{1910, 1070}, std::pair{320, 240}}) {
            const KnownFrameHashes* table = knownFrameHashesFor(model, width, height);
            ASSERT_NE(table, nullptr) << model << " " << width << "x" << height;
            EXPECT_EQ(table->fingerprint, approxFingerprint(modelOf(*table))) << model;
        }
    }
    EXPECT_EQ(knownFrameHashesFor("native", 1910, 1070), nullptr);
    EXPECT_EQ(knownFrameHashesFor("amd", 640, 480), nullptr);
}

// Every "WxH frame hash" line of a golden file, against the table of that size.
TEST(KnownFrameHashes, AgreeWithTheGoldenHashes) {
    for (const char* model : {"amd", "intel"}) {
        std::ifstream golden(std::string(QUORVEL_GOLDEN_DIR) + "/" + model + "_frame_hashes.txt");
        ASSERT_TRUE(golden) << model;
        int compared = 0;
        for (std::string line; std::getline(golden, line);) {
            std::istringstream fields(line);
            std::string size;
            int frame = 0;
            uint64_t hash = 0;
            int width = 0, height = 0;
            if (!(fields >> size >> frame >> std::hex >> hash) ||
                std::sscanf(size.c_str(), "%dx%d", &width, &height) != 2)
                continue;  // the fingerprint, a comment
            const KnownFrameHashes* table = knownFrameHashesFor(model, width, height);
            if (table == nullptr) continue;
            EXPECT_EQ(table->hashes[frame], hash) << model << " " << line;
            ++compared;
        }
        EXPECT_GE(compared, 7) << model;
    }
}

// Frames every `step` apart drawn anew by the reference routine through the table's model.
void expectReferenceSample(const KnownFrameHashes& table, int step) {
    for (int frame = 0; frame < kZoomCycleFrames; frame += step) {
        TestFrame drawing(table.width, table.height, modelOf(table));
        skipFrames(drawing.frames, uint64_t(frame));
        drawing.render(referenceRenderPath());
        ASSERT_EQ(frameHash(drawing.color.data(), table.width, table.height), table.hashes[frame])
            << table.model << " " << table.width << "x" << table.height << " frame " << frame;
    }
}

TEST(KnownFrameHashesSample, TheReferenceDrawsThem) {
    for (const KnownFrameHashes& table : knownFrameHashes())
        expectReferenceSample(table, table.width > 320 ? 76 : 8);
}

TEST(KnownFrameHashesSample, TheFastPathDrawsTheSmallCyclesWhole) {
    for (const KnownFrameHashes& table : knownFrameHashes()) {
        if (table.width > 320) continue;
        TestFrame drawing(table.width, table.height, modelOf(table));
        hashEveryFrame(drawing.frames);
        for (int frame = 0; frame < kZoomCycleFrames; ++frame) {
            drawing.render(fastestRenderPath());
            ASSERT_EQ(lastFrameHash(drawing.frames), table.hashes[frame])
                << table.model << " frame " << frame;
        }
    }
}

}  // namespace
}  // namespace quorvel
