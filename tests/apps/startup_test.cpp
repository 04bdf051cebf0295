// The windowed program from start-up to exit on a window system that exists only in
// memory: every start-up failure, the main loop's quitting, pacing and events.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "fake_window.h"
#include "os/processors.h"
#include "quorvel/shell.h"

namespace quorvel {
namespace {

const WindowEvent kSpace{WindowEventKind::KeyDown, kKeySpace};
const WindowEvent kEscape{WindowEventKind::KeyDown, kKeyEscape};
const WindowEvent kOther{WindowEventKind::Other, 0};

class StartupTest : public testing::Test {
  protected:
    void SetUp() override { resetFakeDesktop(); }

    // The exit status, with what was said on stderr.
    int run(std::string& said) {
        testing::internal::CaptureStderr();
        const int status = startup(WindowOptions{});
        said = testing::internal::GetCapturedStderr();
        return status;
    }
};

TEST_F(StartupTest, NamesEveryFailureOnOneLineAndClosesWhatItOpened) {
    const struct {
        std::string displayError;
        ScreenSize screen;
        std::string windowError;
        std::string line;
        int displaysClosed;
    } cases[] = {
        {"cannot connect to X display :9",
         {1920, 1080},
         "",
         "quorvel: cannot open a window: cannot connect to X display :9\n",
         0},
        {"", {11, 11}, "", "quorvel: cannot open a window: the screen (11x11) is too small for one\n", 1},
        {"",
         {1920, 1080},
         "the window's X visual cannot show the picture",
         "quorvel: cannot open a window: the window's X visual cannot show the picture\n",
         1},
    };
    for (const auto& failure : cases) {
        resetFakeDesktop();
        fakeDesktop().displayError = failure.displayError;
        fakeDesktop().screen = failure.screen;
        fakeDesktop().windowError = failure.windowError;
        std::string said;
        EXPECT_EQ(run(said), 1) << failure.line;
        EXPECT_EQ(said, failure.line);
        EXPECT_EQ(fakeDesktop().presents, 0);
        EXPECT_EQ(fakeDesktop().displaysClosed, failure.displaysClosed) << failure.line;
    }
}

// Failures once the window is open: it is closed again, and nothing is drawn.
TEST_F(StartupTest, FailuresAfterTheWindowOpensCloseIt) {
    const struct {
        WindowFrame frame;
        std::string placeError;
        std::string line;
    } cases[] = {
        {{1, 50, 1, 1}, "", "quorvel: cannot open a window: the screen (74x58) is too small for one\n"},
        {{},
         "out of memory for the window's image",
         "quorvel: cannot open a window: out of memory for the window's image\n"},
    };
    for (const auto& failure : cases) {
        resetFakeDesktop();
        fakeDesktop().frame = failure.frame;
        fakeDesktop().placeError = failure.placeError;
        std::string said;
        EXPECT_EQ(run(said), 1) << failure.line;
        EXPECT_EQ(said, failure.line);
        EXPECT_EQ(fakeDesktop().windowsOpened, 1);
        EXPECT_EQ(fakeDesktop().presents, 0);
        EXPECT_EQ(fakeDesktop().displaysClosed, 1) << failure.line;
    }
}

// The window opens as if it had no frame, the only guess before a window manager frames it,
// and is then fitted with its frame into the space the desktop leaves: here below a panel
// of 20 rows, with a title bar of 22 and borders of 3. The frames drawn are of that size.
TEST_F(StartupTest, FitsTheWindowAndItsFrameIntoTheDesktopsSpace) {
    const WindowFrame frame{3, 22, 3, 3};
    const ScreenRect usable{0, 20, 200, 130};
    fakeDesktop().screen = {200, 150};
    fakeDesktop().usable = usable;
    fakeDesktop().frame = frame;
    fakeDesktop().eventBursts = {{}, {kEscape}};
    std::string said;
    ASSERT_EQ(run(said), 0) << said;
    const ScreenRect opened = fakeDesktop().opened, placed = fakeDesktop().placed;
    EXPECT_EQ(opened.x, 0);
    EXPECT_EQ(opened.y, 20);
    EXPECT_EQ(opened.width, 190);
    EXPECT_EQ(opened.height, 120);
    EXPECT_EQ(placed.x, 3);
    EXPECT_EQ(placed.y, 42);
    EXPECT_EQ(placed.width, 184);  // 200 - 3 - 3 - 10
    EXPECT_EQ(placed.height, 94);  // 130 - 22 - 3 - 10, rounded down to even
    EXPECT_GE(placed.y - frame.top, usable.y);
    EXPECT_LE(placed.y + placed.height + frame.bottom, usable.y + usable.height);
    EXPECT_LE(placed.x + placed.width + frame.right, usable.x + usable.width);
    EXPECT_EQ(fakeDesktop().presentedSize.width, 184);
    EXPECT_EQ(fakeDesktop().presentedSize.height, 94);
}

// --size asks for the drawing area, whatever the desktop's space; its window goes to the
// space's top-left, frame included.
TEST_F(StartupTest, AskedSizeIsKeptAndPlacedWithItsFrameAtTheTopLeft) {
    for (const WindowFrame frame : {WindowFrame{}, WindowFrame{3, 22, 3, 3}}) {
        resetFakeDesktop();
        fakeDesktop().usable = {10, 20, 64, 38};
        fakeDesktop().frame = frame;
        fakeDesktop().eventBursts = {{kEscape}};
        WindowOptions options;
        options.width = 100;
        options.height = 80;
        testing::internal::CaptureStderr();
        EXPECT_EQ(startup(options), 0);
        testing::internal::GetCapturedStderr();
        const ScreenRect placed = fakeDesktop().placed;
        EXPECT_EQ(placed.x, 10 + frame.left);
        EXPECT_EQ(placed.y, 20 + frame.top);
        EXPECT_EQ(placed.width, 100);
        EXPECT_EQ(placed.height, 80);
        EXPECT_EQ(fakeDesktop().presentedSize.width, 100);
    }
}

// Run in a child process whose address space is held to what it has plus 128 MiB: two
// buffers of 8000 x 8000 pixels cannot be had. The message box, which waits for a click,
// only when asked for: a run nobody watches ends.
TEST_F(StartupTest, OutOfMemoryForTheBuffersSaysSo) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "sanitizers reserve more address space than any limit leaves";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    fakeDesktop().screen = {8010, 8010};
    const auto limitedStartup = [](bool errorBox) {
        long pages = 0;
        if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
            std::fclose(statm);
        }
        const rlim_t bytes = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(128) << 20);
        const rlimit limit{bytes, bytes};
        setrlimit(RLIMIT_AS, &limit);
        WindowOptions options;
        options.errorBox = errorBox;
        const int status = startup(options);
        std::_Exit(status == 1 && fakeDesktop().errorBoxes == (errorBox ? 1 : 0) &&
                           fakeDesktop().displaysClosed == 1
                       ? 1
                       : 3);
    };
    for (const bool errorBox : {false, true}) {
        EXPECT_EXIT(limitedStartup(errorBox), testing::ExitedWithCode(1),
                    "quorvel: Startup failed: out of memory for frame buffers of 8000x8000")
            << (errorBox ? "with" : "without") << " --error-box";
    }
#endif
}

// Every queued event is handled each frame: a flood of them keeps Escape waiting for no
// frame more.
TEST_F(StartupTest, EscapeQuitsInTheFrameItArrivesWhateverCameBefore) {
    std::vector<WindowEvent> flood(1000, kOther);
    flood.push_back(kEscape);
    flood.push_back(kSpace);
    fakeDesktop().eventBursts = {{}, {kOther}, flood};
    std::string said;
    EXPECT_EQ(run(said), 0);
    EXPECT_EQ(said, "");
    EXPECT_EQ(fakeDesktop().presents, 3);
    EXPECT_EQ(fakeDesktop().displaysClosed, 1);
}

TEST_F(StartupTest, ClosingTheWindowQuits) {
    fakeDesktop().eventBursts = {{kOther}, {{WindowEventKind::Destroyed, 0}}};
    std::string said;
    EXPECT_EQ(run(said), 0);
    EXPECT_EQ(fakeDesktop().presents, 2);
}

// Flat out first; each Space toggles, and while idle every frame waits for the window
// system's refresh and yields once.
TEST_F(StartupTest, SpaceTogglesYieldingAfterEachFrame) {
    fakeDesktop().eventBursts = {{kSpace}, {}, {kSpace, kSpace}, {}, {kSpace}, {}, {kEscape}};
    std::string said;
    EXPECT_EQ(run(said), 0);
    EXPECT_EQ(fakeDesktop().presents, 7);
    EXPECT_EQ(fakeDesktop().sleeps, 4);
    EXPECT_EQ(fakeDesktop().refreshesAwaited, 4);
    EXPECT_TRUE(fakeDesktop().sleptUntil.empty());
}

// --max-fps starts at the cap, each frame sleeping until the next one is due, a period
// after the last; Space toggles between the cap and flat out.
TEST_F(StartupTest, MaxFpsSleepsUntilEachFrameIsDueAndSpaceTogglesFlatOut) {
    fakeDesktop().eventBursts = {{}, {}, {kSpace}, {}, {kSpace}, {}, {kEscape}};
    WindowOptions options;
    options.maxFps = 50;
    testing::internal::CaptureStderr();
    EXPECT_EQ(startup(options), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(fakeDesktop().presents, 7);
    const auto& slept = fakeDesktop().sleptUntil;
    ASSERT_EQ(slept.size(), 5u);  // not the two frames drawn flat out
    for (size_t i = 1; i < slept.size(); ++i)
        EXPECT_EQ(slept[i] - slept[i - 1], std::chrono::milliseconds(20)) << i;
    EXPECT_EQ(fakeDesktop().sleeps, 0);
    EXPECT_EQ(fakeDesktop().refreshesAwaited, 0);
}

// A shared frame the window system still holds after the longest wait is not drawn into:
// that turn draws nothing, and still handles the events.
TEST_F(StartupTest, AFrameStillHeldIsNotDrawnIntoAndEventsGoOn) {
    fakeDesktop().sharedFramesOffered = 3;
    fakeDesktop().heldAwaits = 2;
    fakeDesktop().eventBursts = {{}, {}, {}, {}, {kEscape}};
    std::string said;
    EXPECT_EQ(run(said), 0);
    EXPECT_EQ(fakeDesktop().sharedFramesAwaited, (std::vector<int>{0, 0, 0, 1, 2}));
    EXPECT_EQ(fakeDesktop().framesPresented, (std::vector<int>{0, 1, 2}));

    resetFakeDesktop();
    fakeDesktop().sharedFramesOffered = 2;
    fakeDesktop().heldAwaits = 1000;
    fakeDesktop().eventBursts = {{}, {kEscape}};
    EXPECT_EQ(run(said), 0);
    EXPECT_EQ(fakeDesktop().presents, 0);
    EXPECT_EQ(fakeDesktop().displaysClosed, 1);
}

// --fps tells the time spent waiting for the window system to hand a frame back apart from
// the time spent presenting: a compositor's slow pace is not our cost.
TEST_F(StartupTest, FpsTellsWaitingForTheWindowSystemApartFromPresenting) {
    fakeDesktop().sharedFramesOffered = 3;
    fakeDesktop().awaitTakes = std::chrono::milliseconds(10);
    fakeDesktop().eventBursts.resize(120);  // 1.2 s of frames at least, then Escape
    fakeDesktop().eventBursts.push_back({kEscape});
    WindowOptions options;
    options.showFrameRate = true;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(startup(options), 0);
    testing::internal::GetCapturedStderr();
    const std::string report = testing::internal::GetCapturedStdout();
    double rate = 0, drawing = 0, presenting = 0, waiting = 0, rest = 0;
    ASSERT_EQ(std::sscanf(report.c_str(),
                          "%lf frames/s, full speed; a frame: drawing %lf ms, presenting %lf ms, waiting for "
                          "the window system %lf ms, the rest %lf ms",
                          &rate, &drawing, &presenting, &waiting, &rest),
              5)
        << report;
    EXPECT_GE(waiting, 10.0);
    EXPECT_LT(presenting, 10.0);
}

// A full-screen window covers the screen, with no frame whatever the window manager's
// would be; its drawing area is the screen rounded down to even, at its top-left.
TEST_F(StartupTest, FullscreenDrawsTheScreenRoundedDownToEven) {
    fakeDesktop().screen = {75, 59};
    fakeDesktop().usable = {0, 20, 75, 39};
    fakeDesktop().frame = {3, 22, 3, 3};
    fakeDesktop().eventBursts = {{kEscape}};
    WindowOptions options;
    options.fullscreen = true;
    testing::internal::CaptureStderr();
    EXPECT_EQ(startup(options), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(fakeDesktop().openedFullscreen);
    const ScreenRect placed = fakeDesktop().placed;
    EXPECT_EQ(placed.x, 0);
    EXPECT_EQ(placed.y, 0);
    EXPECT_EQ(placed.width, 74);
    EXPECT_EQ(placed.height, 58);
    EXPECT_EQ(fakeDesktop().presentedSize.width, 74);
    EXPECT_EQ(fakeDesktop().presentedSize.height, 58);

    resetFakeDesktop();
    fakeDesktop().screen = {1, 1};
    std::string said;
    testing::internal::CaptureStderr();
    EXPECT_EQ(startup(options), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "quorvel: cannot open a window: the screen (1x1) is too small for one\n");
}

// An exception anywhere after the window opened still closes it and the window system, and
// (under LeakSanitizer) leaves no buffer behind, with the window's frames and without.
TEST_F(StartupTest, AnExceptionClosesTheWindowAndLeaksNothing) {
    for (const int offered : {0, 2}) {
        resetFakeDesktop();
        fakeDesktop().sharedFramesOffered = offered;
        fakeDesktop().presentThrows = true;
        EXPECT_THROW(startup(WindowOptions{}), std::bad_alloc);
        EXPECT_EQ(fakeDesktop().windowsOpened, 1);
        EXPECT_EQ(fakeDesktop().displaysClosed, 1) << offered << " shared frames";
    }
}

TEST_F(StartupTest, AWindowThatGoesAwayEndsTheRunWithOneLine) {
    fakeDesktop().presentFailsAfter = 2;
    std::string said;
    EXPECT_EQ(run(said), 1);
    EXPECT_EQ(said, "quorvel: the window was destroyed by another program\n");
    EXPECT_EQ(fakeDesktop().displaysClosed, 1);
}

// Where the window offers memory it reads itself, frames are drawn straight into it, in turn
// where it offers two or three, and each is the frame drawn headless.
TEST_F(StartupTest, DrawsIntoTheWindowsSharedFramesWhereOffered) {
    for (const int offered : {0, 1, 2, 3}) {
        SCOPED_TRACE(testing::Message() << offered << " shared frames");
        resetFakeDesktop();
        fakeDesktop().sharedFramesOffered = offered;
        fakeDesktop().eventBursts = {{}, {}, {}, {}, {kEscape}};
        std::string said;
        EXPECT_EQ(run(said), 0);
        const std::vector<int> turns[] = {
            {-1, -1, -1, -1, -1}, {0, 0, 0, 0, 0}, {0, 1, 0, 1, 0}, {0, 1, 2, 0, 1}};
        EXPECT_EQ(fakeDesktop().framesPresented, turns[offered]);
        // Each frame waits for the shared frame it goes into, where there are any.
        EXPECT_EQ(fakeDesktop().sharedFramesAwaited, offered < 2 ? turns[1] : turns[offered]);

        const int width = fakeDesktop().placed.width, height = fakeDesktop().placed.height;
        ASSERT_EQ(width, 64);
        const PreparedScene scene = prepareBuiltInScene();
        std::vector<uint32_t> color(size_t(width) * size_t(height));
        std::vector<float> depth(color.size());
        const Viewport viewport = makeViewport(uint16_t(width), uint16_t(height), color.data(), depth.data());
        FrameState frames = startFrames(scene, viewport);
        for (const uint64_t shown : fakeDesktop().hashesPresented) {
            renderFrame(scene, frames, referenceRenderPath());
            EXPECT_EQ(shown, frameHash(color.data(), width, height));
        }
    }
}

// With --threads the workers are kept in a pool for the run: the same frames, and the thread
// that ran the window has all its processors back once the run ends.
TEST_F(StartupTest, ThreadsOptionDrawsTheSameFramesAndGivesTheProcessorsBack) {
    const size_t processors = allowedProcessors().size();
    WindowOptions options;
    options.threads = 3;
    fakeDesktop().eventBursts = {{}, {}, {}, {kEscape}};
    testing::internal::CaptureStderr();
    EXPECT_EQ(startup(options), 0);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(allowedProcessors().size(), processors);
    const int width = fakeDesktop().placed.width, height = fakeDesktop().placed.height;
    const PreparedScene scene = prepareBuiltInScene();
    std::vector<uint32_t> color(size_t(width) * size_t(height));
    std::vector<float> depth(color.size());
    FrameState frames =
        startFrames(scene, makeViewport(uint16_t(width), uint16_t(height), color.data(), depth.data()));
    ASSERT_EQ(fakeDesktop().hashesPresented.size(), 4u);
    for (const uint64_t shown : fakeDesktop().hashesPresented) {
        renderFrame(scene, frames, referenceRenderPath());
        EXPECT_EQ(shown, frameHash(color.data(), width, height));
    }
}

}  // namespace
}  // namespace quorvel
