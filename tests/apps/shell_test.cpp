#include "quorvel/shell.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
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
        {{"--fullscreen=yes"}, 2, nullptr, 0, 0, false, false},
        {{"--fullscreen", "--size", "800x600"}, 2, nullptr, 0, 0, false, false},
        {{"--max-fps"}, 2, nullptr, 0, 0, false, false},
        {{"--max-fps", "0"}, 2, nullptr, 0, 0, false, false},
        {{"--max-fps", "10001"}, 2, nullptr, 0, 0, false, false},
        {{"--max-fps", "99999999999"}, 2, nullptr, 0, 0, false, false},
        {{"--max-fps", "-5"}, 2, nullptr, 0, 0, false, false},
        {{"--max-fps", "6O"}, 2, nullptr, 0, 0, false, false},
        {{"--max-fps", " 60"}, 2, nullptr, 0, 0, false, false},
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

// Without --threads the window keeps its two workers started for each frame (-1).
TEST(HandleCommandLine, ThreadsAreANumberOrAll) {
    const std::pair<std::vector<std::string>, int> cases[] = {
        {{}, -1}, {{"--threads", "3"}, 3}, {{"--threads=all"}, 0}, {{"--threads", "256"}, 256}};
    for (const auto& [arguments, threads] : cases) {
        WindowOptions options;
        EXPECT_EQ(handleCommandLine(arguments, options), kOpenTheWindow);
        EXPECT_EQ(options.threads, threads);
    }
    WindowOptions options;
    testing::internal::CaptureStderr();
    EXPECT_EQ(handleCommandLine({"--threads", "0"}, options), 2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quorvel: --threads wants a number of workers from 1 to 256, or all, got '0'\n");
}

// --fullscreen and --max-fps N, alone, together, by any unique beginning of their names.
TEST(HandleCommandLine, TakesFullscreenAndAFrameRateCap) {
    const struct {
        std::vector<std::string> arguments;
        bool fullscreen;
        int maxFps;
    } cases[] = {
        {{"--fullscreen"}, true, 0},
        {{"--max-fps", "60"}, false, 60},
        {{"--max-fps=1"}, false, 1},
        {{"--max=10000", "--full"}, true, 10000},
        {{"--max-fps", "0060", "--fps"}, false, 60},
    };
    for (const auto& [arguments, fullscreen, maxFps] : cases) {
        WindowOptions options;
        EXPECT_EQ(handleCommandLine(arguments, options), kOpenTheWindow) << testing::PrintToString(arguments);
        EXPECT_EQ(options.fullscreen, fullscreen) << testing::PrintToString(arguments);
        EXPECT_EQ(options.maxFps, maxFps) << testing::PrintToString(arguments);
    }
}

// The window reads its options as quorvel-render does, and names a mistake the same way.
TEST(HandleCommandLine, NamesTheWordAtFault) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--", "--fps"},
         "quorvel: unexpected argument '--fps' after --: this program takes no arguments, only options\n"},
        {{"-V-"}, "quorvel: unknown option letter '-' in '-V-' (try --help)\n"},
        {{"--size", "\xFF"}, "quorvel: --size wants WxH, both even, from 2 to 16384, got '\\xFF'\n"},
        {{"--max-fps", "0"},
         "quorvel: --max-fps wants a whole number of frames a second from 1 to 10000, got '0'\n"},
        {{"--size", "64x48", "--fullscreen"},
         "quorvel: --fullscreen takes the screen's size: it cannot go with --size\n"},
        {{"--f"}, "quorvel: option '--f' is ambiguous: it could be --fps, --fullscreen\n"},
    };
    for (const auto& [arguments, expected] : cases) {
        WindowOptions options;
        testing::internal::CaptureStderr();
        EXPECT_EQ(handleCommandLine(arguments, options), 2);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);
    }
}

TEST(DrawingArea, IsTheScreenLessTenRoundedDownToEven) {
    int width = 0, height = 0;
    ASSERT_TRUE(drawingAreaFor({0, 0, 1920, 1080}, {}, width, height));
    EXPECT_EQ(width, 1910);
    EXPECT_EQ(height, 1070);
    ASSERT_TRUE(drawingAreaFor({0, 0, 1367, 13}, {}, width, height));
    EXPECT_EQ(width, 1356);
    EXPECT_EQ(height, 2);
    EXPECT_FALSE(drawingAreaFor({0, 0, 11, 800}, {}, width, height));
    EXPECT_FALSE(drawingAreaFor({0, 0, 800, 0}, {}, width, height));
    EXPECT_FALSE(drawingAreaFor({0, 0, -5, -5}, {}, width, height));
    // A screen larger than any frame gets the largest frame.
    ASSERT_TRUE(drawingAreaFor({0, 0, 40000, 16395}, {}, width, height));
    EXPECT_EQ(width, kMaxFrameSide);
    EXPECT_EQ(height, kMaxFrameSide);
}

// The whole screen, rounded down to even and held to the frame-size limit.
TEST(DrawingArea, FullscreenIsTheScreenRoundedDownToEven) {
    const struct {
        ScreenSize screen;
        bool fits;
        int width, height;
    } cases[] = {
        {{1920, 1080}, true, 1920, 1080},
        {{1366, 767}, true, 1366, 766},
        {{3, 2}, true, 2, 2},
        {{40001, 16385}, true, kMaxFrameSide, kMaxFrameSide},
        {{1, 800}, false, 0, 0},
        {{800, 0}, false, 0, 0},
    };
    for (const auto& [screen, fits, expectedWidth, expectedHeight] : cases) {
        int width = 0, height = 0;
        EXPECT_EQ(fullscreenDrawingArea(screen, width, height), fits) << screen.width << "x" << screen.height;
        if (fits) {
            EXPECT_EQ(width, expectedWidth);
            EXPECT_EQ(height, expectedHeight);
        }
    }
}

// Under a cap each frame is due a period after the one before; a late frame moves the
// slots on rather than bringing on a burst.
TEST(FrameSlot, IsAPeriodAfterTheLastOneOrNowWhenLate) {
    using std::chrono::milliseconds;
    const std::chrono::steady_clock::time_point start{};
    EXPECT_EQ(nextFrameSlot(start, start + milliseconds(3), 50), start + milliseconds(20));
    EXPECT_EQ(nextFrameSlot(start, start + milliseconds(19), 50), start + milliseconds(20));
    EXPECT_EQ(nextFrameSlot(start, start + milliseconds(27), 50), start + milliseconds(27));
    // Sixty slots take a second, to within a nanosecond a slot.
    std::chrono::steady_clock::time_point due = start;
    for (int frame = 0; frame < 60; ++frame) due = nextFrameSlot(due, due, 60);
    EXPECT_LE(std::chrono::abs(due - (start + std::chrono::seconds(1))), std::chrono::nanoseconds(60));
    EXPECT_EQ(nextFrameSlot(start, start, 10000), start + std::chrono::microseconds(100));
}

// A title bar 20 pixels high and 1-pixel borders; a panel reserving the top 30 rows.
TEST(DrawingArea, LeavesRoomForTheFrameInTheSpaceTheDesktopLeaves) {
    const WindowFrame frame{1, 20, 1, 1};
    int width = 0, height = 0;
    ASSERT_TRUE(drawingAreaFor({0, 0, 1920, 1080}, frame, width, height));
    EXPECT_EQ(width, 1908);
    EXPECT_EQ(height, 1048);
    const ScreenRect belowThePanel{0, 30, 1920, 1050};
    ASSERT_TRUE(drawingAreaFor(belowThePanel, frame, width, height));
    EXPECT_EQ(width, 1908);
    EXPECT_EQ(height, 1018);
    EXPECT_FALSE(drawingAreaFor({0, 0, 800, 32}, frame, width, height));
    EXPECT_FALSE(drawingAreaFor({0, 0, 13, 800}, frame, width, height));

    // The whole window, frame included, inside the space, at its top-left.
    const ScreenRect client = clientAreaFor(belowThePanel, frame, width, height);
    EXPECT_EQ(client.x, 1);
    EXPECT_EQ(client.y, 50);
    EXPECT_EQ(client.width, 1908);
    EXPECT_EQ(client.height, 1018);
    EXPECT_LE(client.y + client.height + frame.bottom, belowThePanel.y + belowThePanel.height);
    EXPECT_LE(client.x + client.width + frame.right, belowThePanel.x + belowThePanel.width);
}

}  // namespace
}  // namespace quorvel
