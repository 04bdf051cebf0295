#include <cstdio>
#include <string>

#include "frame/build_info.h"
#include "io/quoted_text.h"
#include "quorvel/shell.h"

namespace quorvel {
namespace {

constexpr char kUsage[] =
    "usage: quorvel [--approx MODEL] [--help | --version]\n"
    "Opens a window almost as large as the screen and draws a spinning, textured solid.\n"
    "\n"
    "  --approx MODEL  approximate reciprocals: native (this processor's own; the default\n"
    "                  on x86), intel or amd (measured tables, the same frames anywhere)\n"
    "  --version       the version, the span routine and the approximations' fingerprint\n"
    "\n"
    "  Space     toggle between running flat out and yielding a millisecond a frame\n"
    "  Escape    quit (closing the window quits too)\n"
    "\n"
    "Exit status: 0 when quit, 1 when no window can be opened or it goes away, 2 for a\n"
    "bad command line. quorvel-render draws the same frames without a window.\n";

int print(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        std::perror("quorvel: cannot write the output");
        return 1;
    }
    return 0;
}

}  // namespace

int handleCommandLine(int argc, char** argv, const ApproxModel*& approx) {
    approx = &defaultApprox();
    bool help = false, version = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            help = true;
        } else if (argument == "--version") {
            version = true;
        } else if (argument == "--approx" || argument.starts_with("--approx=")) {
            if (argument == "--approx" && i + 1 == argc) {
                std::fprintf(stderr, "quorvel: --approx needs native, intel or amd\n");
                return 2;
            }
            const std::string name = argument == "--approx" ? argv[++i] : argument.substr(9);
            std::string why;
            approx = approxModelNamed(name, why);
            if (approx == nullptr) {
                if (why.empty()) {
                    std::fprintf(stderr, "quorvel: --approx wants native, intel or amd, got %s\n",
                                 quotedValue(name).c_str());
                } else {
                    std::fprintf(stderr, "quorvel: --approx %s: %s\n", quotedValue(name).c_str(),
                                 why.c_str());
                }
                return 2;
            }
        } else {
            std::fprintf(stderr, "quorvel: unknown option %s (try --help)\n", quotedValue(argument).c_str());
            return 2;
        }
    }
    if (help) return print(kUsage);
    if (version) return print(std::string("quorvel ") + quorvelVersion() + "\n" + describeBuild(*approx));
    return kOpenTheWindow;
}

}  // namespace quorvel
