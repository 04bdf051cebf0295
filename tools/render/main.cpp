#include <cstdio>
#include <string>
#include <vector>

#include "pipeline/build_info.h"
#include "platform/interrupts.h"
#include "render/render_options.h"
#include "render/render_run.h"

namespace {

// Text for standard output; status 1 with one line on stderr when it cannot be written.
int printOrFail(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        std::perror("quorvel-render: cannot write the output");
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    quorvel::cleanUpOnInterrupt();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    quorvel::RenderOptions options;
    std::string error;
    if (!quorvel::parseRenderOptions(arguments, options, error)) {
        std::fprintf(stderr, "quorvel-render: %s\n", error.c_str());
        return 2;
    }
    if (options.help) return printOrFail(quorvel::kRenderUsage);
    if (options.version) {
        return printOrFail(std::string("quorvel-render ") + quorvel::quorvelVersion() + "\n" +
                           quorvel::describeBuild(*options.approx));
    }
    return quorvel::runRender(options);
}
