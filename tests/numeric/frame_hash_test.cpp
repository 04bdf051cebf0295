#include "numeric/frame_hash.h"

#include <gtest/gtest.h>

// The one-shot XXH3, header-only as in every build.
#define XXH_INLINE_ALL
#include <xxhash.h>

#include <cstring>
#include <set>
#include <vector>

namespace quorvel {
namespace {

// The hash as the README defines it, written out with the library's one-shot XXH3.
uint64_t hashAsDocumented(const std::vector<uint32_t>& pixels, int width, int height) {
    std::vector<unsigned char> records;
    for (int y = 0; y < height; ++y) {
        const uint32_t* row = pixels.data() + size_t(y) * size_t(width);
        int first = 0, end = width;
        while (first < end && row[first] == 0) ++first;
        while (end > first && row[end - 1] == 0) --end;
        const uint32_t start = end > first ? uint32_t(first) : 0, count = uint32_t(end - first);
        std::vector<unsigned char> run;
        for (int x = first; x < end; ++x)
            for (int byte = 0; byte < 4; ++byte)
                run.push_back(static_cast<unsigned char>(row[x] >> (8 * byte)));
        const uint64_t runHash = XXH3_64bits(run.data(), run.size());
        for (int byte = 0; byte < 4; ++byte)
            records.push_back(static_cast<unsigned char>(start >> (8 * byte)));
        for (int byte = 0; byte < 4; ++byte)
            records.push_back(static_cast<unsigned char>(count >> (8 * byte)));
        for (int byte = 0; byte < 8; ++byte)
            records.push_back(static_cast<unsigned char>(runHash >> (8 * byte)));
    }
    return XXH3_64bits(records.data(), records.size());
}

// Rows short and long (XXH3 takes other paths past 240 and 1024 bytes), runs at either end
// and inside, rows all 0, more rows than fit in one piece fed to the hash.
TEST(FrameHash, IsXxh3OverTheDocumentedRowRecords) {
    for (const auto& [width, height] :
         {std::pair{1, 1}, std::pair{7, 3}, std::pair{61, 5}, std::pair{1910, 4}, std::pair{3, 300}}) {
        std::vector<uint32_t> pixels(size_t(width) * size_t(height), 0);
        uint32_t seed = 12345;
        for (int y = 0; y < height; ++y) {
            if (y % 3 == 1) continue;  // left all 0
            const int first = (y * 5) % width, last = width - 1 - (y * 3) % (width - first);
            for (int x = first; x <= last; ++x) {
                seed = seed * 1664525u + 1013904223u;
                pixels[size_t(y) * size_t(width) + size_t(x)] = (seed >> 8) & 0xFFFFFFu;
            }
        }
        EXPECT_EQ(frameHash(pixels.data(), width, height), hashAsDocumented(pixels, width, height))
            << width << "x" << height;
    }
}

TEST(FrameHash, RowRecordsReadOnlyTheColumnsGivenAndTrimZeros) {
    uint32_t row[12] = {0, 0, 0, 0, 5, 0, 7, 0, 0, 0, 0, 0};
    const RowRecord whole = rowRecord(row, 0, 12);
    EXPECT_EQ(whole.first, 4u);
    EXPECT_EQ(whole.count, 3u);
    const RowRecord bounded = rowRecord(row, 2, 9);
    EXPECT_EQ(std::memcmp(&whole, &bounded, sizeof whole), 0);
    const RowRecord none = rowRecord(row, 0, 0), zeros = rowRecord(row, 7, 12);
    EXPECT_EQ(std::memcmp(&none, &zeros, sizeof none), 0);
    EXPECT_EQ(none.first, 0u);
    EXPECT_EQ(none.count, 0u);
}

// A pixel's value, its place, and the fourth byte all name the frame.
TEST(FrameHash, EveryOneByteChangeGivesAnotherHash) {
    constexpr int kWidth = 9, kHeight = 4;
    std::vector<uint32_t> pixels(kWidth * kHeight, 0);
    pixels[10] = 0x00102030u;
    std::set<uint64_t> seen{frameHash(pixels.data(), kWidth, kHeight)};
    for (size_t i = 0; i < pixels.size(); ++i) {
        for (uint32_t change : {0x1u, 0x100u, 0x10000u, 0x1000000u}) {
            std::vector<uint32_t> changed = pixels;
            changed[i] ^= change;
            EXPECT_TRUE(seen.insert(frameHash(changed.data(), kWidth, kHeight)).second) << i << " " << change;
        }
    }
}

}  // namespace
}  // namespace quorvel
