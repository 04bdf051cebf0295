#include "io/command_line.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

const std::vector<KnownOption> kOptionList = {
    {"size", 0, true},
    {"from", 0, true},
    {"frames", 0, true},
    {"out", 'o', true},
    {"hash", 0, false},
    {"quiet", 'q', false},
    {"help", 'h', false},
    {"bench", 0, false},
    {"bench-plot", 0, true, true},
    {"texture-out", 0, true, true},
};

// Options as "name=value" (flags as "name"), or the error.
std::string read(const std::vector<std::string>& arguments) {
    std::vector<GivenOption> given;
    std::string error;
    if (!readOptions(arguments, kOptionList, given, error)) return "error: " + error;
    std::string read;
    for (const GivenOption& option : given) {
        const KnownOption& known = kOptionList[size_t(option.which)];
        read +=
            std::string(read.empty() ? "" : " ") + known.name + (known.takesValue ? "=" + option.value : "");
    }
    return read;
}

TEST(ReadOptions, TakesTheGnuForms) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, ""},
        {{"--size=64x48", "--from", "3"}, "size=64x48 from=3"},
        {{"-o", "dir", "-odir2", "--out=-", "--out", "-"}, "out=dir out=dir2 out=- out=-"},
        {{"-qh", "-q"}, "quiet help quiet"},
        {{"--fro", "2", "--fra=5", "--ha", "--s", "8x8"}, "from=2 frames=5 hash size=8x8"},
        {{"--hash", "--"}, "hash"},
        {{"--size", "--hash"}, "size=--hash"},  // a value may look like an option
        {{"--out="}, "out="},
        // --bench is an option of its own, though it begins --bench-plot
        {{"--bench", "--bench-plot", "p.svg", "--texture-out=t.png"},
         "bench bench-plot=p.svg texture-out=t.png"},
    };
    for (const auto& [arguments, expected] : cases)
        EXPECT_EQ(read(arguments), expected) << testing::PrintToString(arguments);
}

TEST(ReadOptions, SaysWhatIsWrongWithWhichArgument) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"extra"}, "error: unexpected argument 'extra': options start with - (try --help)"},
        {{"--hash", "--", "--quiet"},
         "error: unexpected argument '--quiet' after --: this program takes no arguments, only options"},
        {{"--", "extra"},
         "error: unexpected argument 'extra' after --: this program takes no arguments, only options"},
        {{"--out", "--", "extra"}, "error: unexpected argument 'extra': options start with - (try --help)"},
        {{"-"}, "error: unexpected argument '-': this program takes no arguments, only options"},
        {{""}, "error: unexpected argument '': options start with - (try --help)"},
        {{"--hash=yes"}, "error: option --hash takes no value, got 'yes'"},
        {{"--ha="}, "error: option --hash takes no value, got ''"},
        {{"--size"}, "error: option --size needs a value"},
        {{"--fra"}, "error: option --frames needs a value"},
        {{"-o"}, "error: option -o needs a value"},
        {{"--fr", "1"}, "error: option '--fr' is ambiguous: it could be --from, --frames"},
        {{"--bogus=1"}, "error: unknown option '--bogus' (try --help)"},
        {{"-x"}, "error: unknown option '-x' (try --help)"},
        {{"-qx"}, "error: unknown option letter 'x' in '-qx' (try --help)"},
        {{"-q-"}, "error: unknown option letter '-' in '-q-' (try --help)"},
        {{"-o", "dir", "-q-h"}, "error: unknown option letter '-' in '-q-h' (try --help)"},
        {{"--hash", "--sizes=1"}, "error: unknown option '--sizes' (try --help)"},
    };
    for (const auto& [arguments, expected] : cases)
        EXPECT_EQ(read(arguments), expected) << testing::PrintToString(arguments);
    // After a mistake the next reading starts afresh.
    EXPECT_EQ(read({"-q"}), "quiet");
}

// A beginning of the name of an option that writes a file is refused, in every form, and
// the whole name said: a guess at another option must never write over the file it names.
TEST(ReadOptions, TakesOptionsThatWriteFilesOnlyByTheirWholeName) {
    const std::string plot =
        "is not a whole option name: --bench-plot, which writes a file, must be typed in full";
    const std::string texture =
        "is not a whole option name: --texture-out, which writes a file, must be typed in full";
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--bench-p", "p.svg"}, "error: option '--bench-p' " + plot},
        {{"--bench-plo=p.svg"}, "error: option '--bench-plo' " + plot},
        {{"--bench-"}, "error: option '--bench-' " + plot},
        {{"--texture", "mine.png"}, "error: option '--texture' " + texture},
        {{"--texture=mine.png"}, "error: option '--texture' " + texture},
        {{"--hash", "--t", "mine.png"}, "error: option '--t' " + texture},
        {{"--texture"}, "error: option '--texture' " + texture},
        {{"--b", "p.svg"}, "error: option '--b' is ambiguous: it could be --bench, --bench-plot"},
        {{"--bench-plot"}, "error: option --bench-plot needs a value"},
    };
    for (const auto& [arguments, expected] : cases)
        EXPECT_EQ(read(arguments), expected) << testing::PrintToString(arguments);
    EXPECT_EQ(read({"-q"}), "quiet");
}

}  // namespace
}  // namespace quorvel
