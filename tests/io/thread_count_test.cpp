#include "io/thread_count.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(ThreadCount, NumbersFromOneToTheMostOrAll) {
    int count = -1;
    std::string error;
    ASSERT_TRUE(parseThreadCount("all", 256, count, error));
    EXPECT_EQ(count, 0);
    ASSERT_TRUE(parseThreadCount("1", 256, count, error));
    EXPECT_EQ(count, 1);
    ASSERT_TRUE(parseThreadCount("256", 256, count, error));
    EXPECT_EQ(count, 256);
    for (const char* bad : {"0", "257", "-1", "+2", " 2", "2x", "", "ALL", "99999999999999999999", "1.5"}) {
        EXPECT_FALSE(parseThreadCount(bad, 256, count, error)) << bad;
        EXPECT_NE(error.find("--threads wants a number of workers from 1 to 256, or all"), std::string::npos)
            << error;
    }
}

}  // namespace
}  // namespace quorvel
