#include "quorvel-render/progress_line.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

// A line as wide as the terminal wraps, and every redraw then starts a new row: at any
// width, however narrow, the line leaves the last column free.
TEST(ProgressLine, NeverReachesTheTerminalsLastColumn) {
    for (const uint64_t total : {uint64_t(1), uint64_t(7), uint64_t(1824), uint64_t(58368000)}) {
        for (const uint64_t done : {uint64_t(0), uint64_t(1), total / 2, total}) {
            for (int columns = -1; columns <= 200; ++columns) {
                EXPECT_LE(progressText(done, total, columns).size(), size_t(std::max(columns - 1, 0)))
                    << done << "/" << total << " in " << columns << " columns";
            }
        }
    }
}

// The bar where there is room for it, at most 40 wide; the counts alone where there is not.
TEST(ProgressLine, ShowsTheBarWhereThereIsRoom) {
    EXPECT_EQ(progressText(912, 1824, 80),
              "[" + std::string(20, '#') + std::string(20, ' ') + "]  50% 912/1824");
    EXPECT_EQ(progressText(1824, 1824, 25), "[#######] 100% 1824/1824");
    EXPECT_EQ(progressText(912, 1824, 20), "  50% 912/1824");
    EXPECT_EQ(progressText(912, 1824, 8), "  50% 9");
}

}  // namespace
}  // namespace quorvel
