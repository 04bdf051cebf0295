#include "quorvel/shell.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The window opens without arguments or with --approx, --size, --fps or --error-box alone;
// --help and --version print (here to the test's output) and end with 0.
TEST(HandleCommandLine, OpensTheWindowOnlyWithoutOtherArguments) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        const ApproxModel* approx;
        int width, height;
        bool fps, errorBox;
    } cases[] = {
        {{}, kOpenTheWindow, &defaultApprox(), 0, 0, false, false},
        {{"--approx", "intel"}, kOpenTheWindow, &kIntelApprox, 0, 0, false, false},
        {{"--approx=amd", "--fps"}, kOpenTheWindow, &kAmdApprox, 0, 0, true, false},
        {{"--siz=800x600", "--app", "amd"}, kOpenTheWindow, &kAmdApprox, 800, 600, false, false},
        {{"--error-box"}, kOpenTheWindow, &defaultApprox(), 0, 0, false, true},
        {{"--version", "--approx", "amd"}, 0, &kAmdApprox, 0, 0, false, false},
        {{"-h"}, 0, nullptr, 0, 0, false, false},
        {{"-V"}, 0, nullptr, 0, 0, false, false},
        {{"--bogus"}, 2, nullptr, 0, 0, false, false},
        {{"--help", "x"}, 2, nullptr, 0, 0, false, false},
        {{""}, 2, nullptr, 0, 0, false, false},
        {{"--approx"}, 2, nullptr, 0, 0, false, false},
        {{"--approx", "arm"}, 2, nullptr, 0, 0, false, false},
        {{"--approx="}, 2, nullptr, 0, 0, false, false},
        {{"--size", "801x600"}, 2, nullptr, 0, 0, false, false},
        {{"--fps=yes"}, 2, nullptr, 0, 0, false, false},
        {{"--error-box=yes"}, 2, nullptr, 0, 0, false, false},
    };
    for (const auto& [arguments, status, approx, width, height, fps, errorBox] : cases) {
        WindowOptions options;
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        EXPECT_EQ(handleCommandLine(arguments, options), status) << testing::PrintToString(arguments);
        testing::internal::GetCapturedStdout();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), status == 2 ? 1 : 0) << said;
        if (approx != nullptr) {
            EXPECT_EQ(options.approx, approx) << testing::PrintToString(arguments);
            EXPECT_EQ(options.width, width);
            EXPECT_EQ(options.height, height);
            EXPECT_EQ(options.showFrameRate, fps);
            EXPECT_EQ(options.errorBox, errorBox);
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
