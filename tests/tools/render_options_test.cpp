#include "render/render_options.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

struct Parsed {
    bool ok;
    RenderOptions options;
    std::string error;
};

Parsed parse(std::vector<std::string> arguments) {
    Parsed parsed{};
    parsed.ok = parseRenderOptions(arguments, parsed.options, parsed.error);
    return parsed;
}

TEST(RenderOptions, DefaultsRenderOneFrameAndSaveIt) {
    const Parsed parsed = parse({});
    ASSERT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.options.width, 1910);
    EXPECT_EQ(parsed.options.height, 1070);
    EXPECT_EQ(parsed.options.frames, 1u);
    EXPECT_EQ(parsed.options.save, RenderOptions::Save::Last);
    EXPECT_TRUE(parsed.options.renderFrames);
}

TEST(RenderOptions, TextureAloneRendersNoFrames) {
    const Parsed parsed = parse({"--texture-out", "t.ppm"});
    ASSERT_TRUE(parsed.ok);
    EXPECT_FALSE(parsed.options.renderFrames);
    EXPECT_TRUE(parse({"--texture-out", "t.png", "--hash"}).options.renderFrames);
}

TEST(RenderOptions, SaveListIsSortedAndChecked) {
    const Parsed parsed = parse({"--frames", "1824", "--save", "1200,0,600"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.saveList, (std::vector<uint64_t>{0, 600, 1200}));
    EXPECT_EQ(parse({"--save", "all"}).options.save, RenderOptions::Save::All);
    EXPECT_EQ(parse({"--save", "none"}).options.save, RenderOptions::Save::None);
}

TEST(RenderOptions, BadInputIsRefusedWithOneLine) {
    const std::vector<std::vector<std::string>> bad = {
        {"--size", "1911x1070"},
        {"--size", "0x0"},
        {"--size", "-2x4"},
        {"--size", "16386x2"},
        {"--size", "axb"},
        {"--size", "99999999999999999999x2"},
        {"--size", "4x"},
        {"--size", "x4"},
        {"--size", "4X4"},
        {"--size", " 4x4"},
        {"--size", "+4x4"},
        {"--size", "1e3x2"},
        {"--size", "4294967298x2"},
        {"--size", "4x4x4"},
        {"--frames", "0"},
        {"--frames", "-1"},
        {"--frames", "1e3"},
        {"--frames", "99999999999999999999999"},
        {"--frames", " 3"},
        {"--frames", "0x10"},
        {"--frames", "3", "--save", "3"},
        {"--save", "1,1"},
        {"--save", ""},
        {"--save", "1,,2"},
        {"--save", "x"},
        {"--save", "-1"},
        {"--save", "1 2"},
        {"--save", "all,1"},
        {"--format", "jpg"},
        {"--texture-out", "t.bmp"},
        {"--texture-out"},
        {"--out", ""},
        {"--size"},
        {"--bogus"},
        {"frames"},
    };
    for (const auto& arguments : bad) {
        const Parsed parsed = parse(arguments);
        std::string joined;
        for (const auto& a : arguments) joined += a + " ";
        EXPECT_FALSE(parsed.ok) << joined;
        EXPECT_FALSE(parsed.error.empty()) << joined;
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << joined;
    }
}

}  // namespace
}  // namespace quorvel
