#include "io/quoted_text.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvel {
namespace {

TEST(QuotedValue, ShortTextWholeWithControlCharactersEscaped) {
    EXPECT_EQ(quotedValue("frames"), "'frames'");
    EXPECT_EQ(quotedValue(""), "''");
    EXPECT_EQ(quotedValue("a\nb\tc\rd\x7F"), "'a\\nb\\tc\\x0Dd\\x7F'");
    EXPECT_EQ(quotedValue("café/日本"), "'café/日本'");
}

// A long path keeps its end, where the name is, and says how long it was.
TEST(QuotedValue, LongTextKeepsItsEndAndLength) {
    const std::string path = std::string(400, 'x') + "/frame-00000.png";
    const std::string shown = quotedValue(path);
    EXPECT_EQ(shown.substr(0, 4), "'...");
    EXPECT_NE(shown.find("x/frame-00000.png' (416 characters)"), std::string::npos) << shown;
    EXPECT_LT(shown.size(), 100u);
}

// Two-byte and three-byte characters are never cut in two, and count as one each.
TEST(QuotedValue, CutsOnCharacterBoundaries) {
    for (const std::string character : {"é", "日", "😀"}) {
        std::string text;
        for (int i = 0; i < 50; ++i) text += character;
        const std::string shown = quotedValue(text);
        const std::string kept = shown.substr(4, shown.find("' (") - 4);
        ASSERT_EQ(kept.size() % character.size(), 0u) << shown;
        for (size_t at = 0; at < kept.size(); at += character.size())
            EXPECT_EQ(kept.substr(at, character.size()), character) << shown;
        EXPECT_NE(shown.find("' (50 characters)"), std::string::npos) << shown;
    }
}

}  // namespace
}  // namespace quorvel
