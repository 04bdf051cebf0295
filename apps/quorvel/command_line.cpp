#include "io/command_line.h"

#include <cstdio>
#include <string>

#include "io/frame_size.h"
#include "io/program_version.h"
#include "io/quoted_text.h"
#include "io/thread_count.h"
#include "quorvel/shell.h"
#include "raster/drawing_description.h"

namespace quorvel {
namespace {

constexpr int kMostFramesASecond = 10000;

constexpr char kUsage[] =
    "usage: quorvel [options]\n"
    "Opens a window almost as large as the screen and draws a spinning, textured solid.\n"
    "\n"
    "  --size WxH      drawing area, both even, 2 to 16384 (default: the space the desktop\n"
    "                  leaves for windows, less the window's frame, less 10 pixels each way)\n"
    "  --fullscreen    cover the whole screen; the drawing area is the screen's size,\n"
    "                  rounded down to even, at most 16384 each way\n"
    "  --max-fps N     draw at most N frames a second (1 to 10000), sleeping until each\n"
    "                  frame is due; Space then toggles between the cap and flat out\n"
    "  --fps           print the frame rate, the pacing and where a frame's time went\n"
    "                  (drawing, presenting, waiting for the window system, and the\n"
    "                  rest: events and the pacing's sleep), once a second\n"
    "  --threads N     draw with N band workers, 1 to 256, or all (one per processor this\n"
    "                  process may run on), pinned to them (default: two, started for\n"
    "                  each frame on processors 0 and 1)\n"
    "  --approx MODEL  approximate reciprocals: native (this processor's own; the default\n"
    "                  on x86), intel or amd (measured tables, the same frames anywhere)\n"
    "  --error-box     also show a start-up failure in a message box that waits for a\n"
    "                  click, for launches from the desktop (its entry passes this)\n"
    "  -V, --version   the version, the span routine and the approximations' fingerprint\n"
    "  -h, --help      show this text\n"
    "Options take values as --option value or --option=value; any unique beginning of an\n"
    "option's name will do.\n"
    "\n"
    "  Space     toggle between running flat out and yielding a millisecond a frame\n"
    "            (and on Wayland waiting for the compositor's next refresh)\n"
    "  Escape    quit (closing the window quits too)\n"
    "\n"
    "quorvel-render draws the same frames without a window.\n";

const std::vector<KnownOption> kWindowOptionList = {
    {"size", 0, true},    {"fps", 0, false},        {"threads", 0, true},
    {"approx", 0, true},  {"error-box", 0, false},  {"version", 'V', false},
    {"help", 'h', false}, {"fullscreen", 0, false}, {"max-fps", 0, true},
};

int refuse(const std::string& error) {
    std::fprintf(stderr, "quorvel: %s\n", error.c_str());
    return 2;
}

int print(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        std::perror("quorvel: cannot write the output");
        return 1;
    }
    return 0;
}

// A whole number of frames a second, digits only.
bool parseFrameRate(const std::string& text, int& rate) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const int value = std::stoi(text);
    if (value < 1 || value > kMostFramesASecond) return false;
    rate = value;
    return true;
}

}  // namespace

int handleCommandLine(const std::vector<std::string>& arguments, WindowOptions& options) {
    std::vector<GivenOption> given;
    std::string error;
    if (!readOptions(arguments, kWindowOptionList, given, error)) return refuse(error);
    bool help = false, version = false;
    for (const GivenOption& option : given) {
        const std::string name = kWindowOptionList[size_t(option.which)].name;
        if (name == "help") {
            help = true;
        } else if (name == "version") {
            version = true;
        } else if (name == "fps") {
            options.showFrameRate = true;
        } else if (name == "error-box") {
            options.errorBox = true;
        } else if (name == "threads") {
            if (!parseThreadCount(option.value, kMaxWorkers, options.threads, error)) return refuse(error);
        } else if (name == "fullscreen") {
            options.fullscreen = true;
        } else if (name == "max-fps") {
            if (!parseFrameRate(option.value, options.maxFps)) {
                return refuse("--max-fps wants a whole number of frames a second from 1 to " +
                              std::to_string(kMostFramesASecond) + ", got " + quotedValue(option.value));
            }
        } else if (name == "size") {
            if (!parseFrameSize(option.value, options.width, options.height)) {
                return refuse("--size wants WxH, both even, from 2 to " + std::to_string(kMaxFrameSide) +
                              ", got " + quotedValue(option.value));
            }
        } else {
            std::string why;
            options.approx = approxModelNamed(option.value, why);
            if (options.approx == nullptr) {
                return refuse(why.empty()
                                  ? "--approx wants native, intel or amd, got " + quotedValue(option.value)
                                  : "--approx " + quotedValue(option.value) + ": " + why);
            }
        }
    }
    if (options.fullscreen && options.width != 0 && !help && !version)
        return refuse("--fullscreen takes the screen's size: it cannot go with --size");
    if (help) return print(std::string(kUsage) + kExitStatusHelp);
    if (version)
        return print(std::string("quorvel ") + quorvelVersion() + "\n" + describeDrawing(*options.approx));
    return kOpenTheWindow;
}

}  // namespace quorvel
