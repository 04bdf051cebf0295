#include <cstdio>
#include <string>

#include "pipeline/build_info.h"
#include "shell/shell.h"

namespace quorvel {
namespace {

constexpr char kUsage[] =
    "usage: quorvel [--help | --version]\n"
    "Opens a window almost as large as the screen and draws a spinning, textured solid.\n"
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

int handleCommandLine(int argc, char** argv) {
    if (argc < 2) return kOpenTheWindow;
    const std::string argument = argv[1];
    if (argc == 2 && (argument == "--help" || argument == "-h")) return print(kUsage);
    if (argc == 2 && argument == "--version") {
        return print(std::string("quorvel ") + quorvelVersion() + "\n" + describeBuild());
    }
    const bool known = argument == "--help" || argument == "-h" || argument == "--version";
    std::fprintf(stderr, "quorvel: unknown option '%.60s' (try --help)\n", argv[known ? 2 : 1]);
    return 2;
}

}  // namespace quorvel
