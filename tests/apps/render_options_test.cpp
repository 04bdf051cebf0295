#include "quorvel-render/render_options.h"

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

// A guess such as --texture mine.png must not write the texture over mine.png: every
// beginning of an option that writes a file is refused, saying the whole name.
TEST(RenderOptions, OptionsThatWriteFilesTakeOnlyTheirWholeName) {
    for (const std::string whole : {"--texture-out", "--bench-plot"}) {
        const std::string file = whole == "--texture-out" ? "mine.png" : "mine.svg";
        EXPECT_TRUE(parse({whole, file}).ok) << whole;
        EXPECT_TRUE(parse({whole + "=" + file}).ok) << whole;
        // Shorter beginnings are another option (--bench itself) or ambiguous (--t, --threads).
        const size_t shortest = std::string(whole == "--texture-out" ? "--te" : "--bench-").size();
        for (size_t length = shortest; length < whole.size(); ++length) {
            const std::string beginning = whole.substr(0, length);
            for (const std::vector<std::string>& arguments :
                 {std::vector<std::string>{beginning, file}, {beginning + "=" + file}}) {
                const Parsed parsed = parse(arguments);
                EXPECT_FALSE(parsed.ok) << beginning;
                EXPECT_NE(parsed.error.find("'" + beginning + "' is not a whole option name: " + whole),
                          std::string::npos)
                    << parsed.error;
            }
        }
    }
    const Parsed bench = parse({"--bench"});
    ASSERT_TRUE(bench.ok) << bench.error;
    EXPECT_TRUE(bench.options.bench);
}

// Every frame number can be drawn, the last one too.
TEST(RenderOptions, FramesReachTheLastFrameNumber) {
    const Parsed last = parse({"--from", "18446744073709551615", "--frames", "1"});
    ASSERT_TRUE(last.ok) << last.error;
    EXPECT_EQ(last.options.lastFrame(), 18446744073709551615u);
    EXPECT_TRUE(parse({"--from", "18446744073709551614", "--frames", "2"}).ok);
    EXPECT_TRUE(parse({"--frames", "18446744073709551615"}).ok);
    EXPECT_TRUE(parse({"--from", "1", "--frames", "18446744073709551615"}).ok);
    EXPECT_FALSE(parse({"--from", "2", "--frames", "18446744073709551615"}).ok);
}

TEST(RenderOptions, SaveListTakesRangesSortedAndChecked) {
    const Parsed parsed = parse({"--frames", "1824", "--save", "1200-1210,0-99,600"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    const std::vector<FrameRange> expected = {{0, 99}, {600, 600}, {1200, 1210}};
    EXPECT_EQ(parsed.options.saveList, expected);
    EXPECT_EQ(parse({"--save", "all"}).options.save, RenderOptions::Save::All);
    EXPECT_EQ(parse({"--save", "none"}).options.save, RenderOptions::Save::None);
}

// Every value-taking option also takes --option=value; frames count from --from.
TEST(RenderOptions, ValuesJoinedWithEqualsAndFramesFromK) {
    const Parsed parsed =
        parse({"--size=640x480", "--from=1200", "--frames=11", "--save=1205-1210", "--quiet"});
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.options.width, 640);
    EXPECT_EQ(parsed.options.height, 480);
    EXPECT_EQ(parsed.options.from, 1200u);
    EXPECT_EQ(parsed.options.lastFrame(), 1210u);
    EXPECT_TRUE(parsed.options.quiet);
    EXPECT_FALSE(parse({"--from", "5", "--save", "4"}).ok);  // before the first frame drawn
}

TEST(RenderOptions, StandardOutputTakesEveryFrameAsPpmUnlessTold) {
    const Parsed stream = parse({"--out", "-", "--frames", "3"});
    ASSERT_TRUE(stream.ok) << stream.error;
    EXPECT_EQ(stream.options.format, ImageFormat::Ppm);
    EXPECT_EQ(stream.options.save, RenderOptions::Save::All);
    const Parsed y4m = parse({"--out=-", "--format=y4m", "--save", "0"});
    ASSERT_TRUE(y4m.ok) << y4m.error;
    EXPECT_EQ(y4m.options.save, RenderOptions::Save::List);
    EXPECT_FALSE(parse({"--out", "-", "--format", "png"}).ok);
    EXPECT_FALSE(parse({"--format", "y4m"}).ok);  // files are png or ppm
}

TEST(RenderOptions, BadInputIsRefusedWithOneLine) {
    // Each refusal names what it refuses: one option's mistake cannot pass for another's.
    const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
        {{"--size", "1911x1070"}, "--size wants WxH, both even, from 2 to 16384, got '1911x1070'"},
        {{"--size", "0x0"}, "--size wants WxH"},
        {{"--size", "-2x4"}, "--size wants WxH"},
        {{"--size", "16386x2"}, "--size wants WxH"},
        {{"--size", "axb"}, "--size wants WxH"},
        {{"--size", "99999999999999999999x2"}, "--size wants WxH"},
        {{"--size", "4x"}, "--size wants WxH"},
        {{"--size", "x4"}, "--size wants WxH"},
        {{"--size", "4X4"}, "--size wants WxH"},
        {{"--size", " 4x4"}, "--size wants WxH"},
        {{"--size", "+4x4"}, "--size wants WxH"},
        {{"--size", "1e3x2"}, "--size wants WxH"},
        {{"--size", "4294967298x2"}, "--size wants WxH"},
        {{"--size", "4x4x4"}, "got '4x4x4'"},
        {{"--frames", "0"}, "--frames wants a whole number of at least 1, got '0'"},
        {{"--frames", "-1"}, "--frames wants"},
        {{"--frames", "1e3"}, "--frames wants"},
        {{"--frames", "99999999999999999999999"}, "--frames wants"},
        {{"--frames", " 3"}, "--frames wants"},
        {{"--frames", "0x10"}, "--frames wants"},
        {{"--frames", "3", "--save", "3"}, "--save names frame 3, but only frames 0 to 2"},
        {{"--save", "1,1"}, "--save lists frame 1 twice"},
        {{"--save", ""}, "--save wants frame numbers"},
        {{"--save", "1,,2"}, "--save wants frame numbers"},
        {{"--save", "x"}, "'x' is neither"},
        {{"--save", "-1"}, "'-1' is neither"},
        {{"--save", "1 2"}, "'1 2' is neither"},
        {{"--save", "all,1"}, "'all' is neither"},
        {{"--save", "5-3"}, "'5-3' is neither"},
        {{"--save", "1-"}, "'1-' is neither"},
        {{"--save", "0-10,10"}, "--save lists frame 10 twice"},
        {{"--from", "x"}, "--from wants a frame number, got 'x'"},
        {{"--from", "18446744073709551615", "--frames", "2"},
         "--from and --frames reach past the last frame"},
        {{"--frames=0"}, "--frames wants"},
        {{"--size="}, "--size wants WxH"},
        {{"--hash=yes"}, "--hash takes no value, got 'yes'"},
        {{"--format", "jpg"}, "--format wants png, ppm or y4m, got 'jpg'"},
        {{"--texture-out", "t.bmp"}, "--texture-out wants a file ending in .png or .ppm, got 't.bmp'"},
        {{"--texture-out"}, "--texture-out needs a value"},
        {{"--out", ""}, "--out needs a folder name"},
        {{"--size"}, "--size needs a value"},
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"frames"}, "unexpected argument 'frames'"},
    };
    for (const auto& [arguments, said] : bad) {
        const Parsed parsed = parse(arguments);
        std::string joined;
        for (const auto& a : arguments) joined += a + " ";
        EXPECT_FALSE(parsed.ok) << joined;
        EXPECT_NE(parsed.error.find(said), std::string::npos) << joined << "said: " << parsed.error;
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << joined;
    }
    // A huge value is quoted in part, not in full.
    std::string list;
    for (int frame = 0; frame < 20000; ++frame) list += std::to_string(frame) + ",";
    const Parsed huge = parse({"--save", list + "x"});
    EXPECT_FALSE(huge.ok);
    EXPECT_LT(huge.error.size(), 160u) << huge.error;
    EXPECT_LT(parse({"--size", std::string(5000, '9')}).error.size(), 160u);
}

}  // namespace
}  // namespace quorvel
