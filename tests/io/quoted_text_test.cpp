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

// Bytes that are not UTF-8 (stray, cut short, overlong, surrogates) are escaped and count
// as one character each; a cut falls between characters, such bytes included.
TEST(QuotedValue, BytesThatAreNotUtf8AreEscapedAndCountedOneEach) {
    EXPECT_EQ(quotedValue("a\x80"
                          "b\xFF"),
              "'a\\x80b\\xFF'");
    EXPECT_EQ(quotedValue("\xC3(\xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80"),
              "'\\xC3(\\xC0\\xAF\\xED\\xA0\\x80\\xF4\\x90\\x80\\x80'");
    EXPECT_EQ(quotedValue("\xE6\x97\xA5\xF0\x9F\x98\x80"), "'\xE6\x97\xA5\xF0\x9F\x98\x80'");

    // A long value keeps its end as shown, escapes included, about 60 bytes of it.
    std::string strays;
    for (int i = 0; i < 15; ++i) strays += "\\x80";
    EXPECT_EQ(quotedValue(std::string(70, '\x80')), "'..." + strays + "' (70 characters)");
    EXPECT_EQ(quotedValue(std::string(39, 'a') + "\xE6\x97" + std::string(56, 'b')),
              "'...\\x97" + std::string(56, 'b') + "' (97 characters)");
    std::string characters;
    for (int i = 0; i < 30; ++i) characters += "日";
    EXPECT_EQ(quotedValue(std::string(10, '\xFF') + characters),
              "'..." + characters.substr(30) + "' (40 characters)");
}

}  // namespace
}  // namespace quorvel
