#include "quorvel/shell.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvel {
namespace {

TEST(HandleWindowEvent, SpaceTogglesPacingAndEveryRepeatTogglesAgain) {
    static Shell shell;
    ASSERT_TRUE(shell.fullSpeed);
    const WindowEvent space = {WindowEventKind::KeyDown, kKeySpace};
    handleWindowEvent(shell, space);
    EXPECT_FALSE(shell.fullSpeed);
    handleWindowEvent(shell, space);  // an auto-repeat is one more key-down
    EXPECT_TRUE(shell.fullSpeed);
    handleWindowEvent(shell, {WindowEventKind::KeyDown, 'A'});
    handleWindowEvent(shell, {WindowEventKind::Other, 0});
    EXPECT_TRUE(shell.fullSpeed);
    EXPECT_FALSE(shell.quitPosted);
}

TEST(HandleWindowEvent, EscapeAndClosingPostQuit) {
    static Shell escaped, closed;
    handleWindowEvent(escaped, {WindowEventKind::KeyDown, kKeyEscape});
    EXPECT_TRUE(escaped.quitPosted);
    handleWindowEvent(closed, {WindowEventKind::Destroyed, 0});
    EXPECT_TRUE(closed.quitPosted);
}

// The window opens without arguments or with --approx alone; --help and --version print
// (here to the test's output) and end with 0.
TEST(HandleCommandLine, OpensTheWindowOnlyWithoutOtherArguments) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        const ApproxModel* approx;
    } cases[] = {
        {{}, kOpenTheWindow, &defaultApprox()},
        {{"--approx", "intel"}, kOpenTheWindow, &kIntelApprox},
        {{"--approx=amd"}, kOpenTheWindow, &kAmdApprox},
        {{"--version", "--approx", "amd"}, 0, &kAmdApprox},
        {{"-h"}, 0, &defaultApprox()},
        {{"--bogus"}, 2, nullptr},
        {{"--help", "x"}, 2, nullptr},
        {{""}, 2, nullptr},
        {{"--approx"}, 2, nullptr},
        {{"--approx", "arm"}, 2, nullptr},
        {{"--approx="}, 2, nullptr},
    };
    for (const auto& [arguments, status, approx] : cases) {
        std::vector<std::string> words = {"quorvel"};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        const ApproxModel* chosen = nullptr;
        EXPECT_EQ(handleCommandLine(int(argv.size()), argv.data(), chosen), status) << words.back();
        if (approx != nullptr) {
            EXPECT_EQ(chosen, approx) << words.back();
        }
    }
}

TEST(DrawingArea, IsTheScreenLessTenRoundedDownToEven) {
    int width = 0, height = 0;
    ASSERT_TRUE(drawingAreaFor({1920, 1080}, width, height));
    EXPECT_EQ(width, 1910);
    EXPECT_EQ(height, 1070);
    ASSERT_TRUE(drawingAreaFor({1367, 13}, width, height));
    EXPECT_EQ(width, 1356);
    EXPECT_EQ(height, 2);
    EXPECT_FALSE(drawingAreaFor({11, 800}, width, height));
    EXPECT_FALSE(drawingAreaFor({800, 0}, width, height));
    EXPECT_FALSE(drawingAreaFor({-5, -5}, width, height));
}

}  // namespace
}  // namespace quorvel
