#include "quorvel-render/render_main.h"

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "io/command_line.h"
#include "io/program_version.h"
#include "os/interrupts.h"
#include "os/process_info.h"
#include "quorvel-render/render_options.h"
#include "quorvel-render/render_run.h"
#include "quorvel-render/verify_run.h"
#include "raster/drawing_description.h"

namespace {

// Text for standard output; status 1 with one line on stderr when it cannot be written.
int printOrFail(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0) {
        std::perror("quorvel-render: cannot write the output");
        return 1;
    }
    return 0;
}

int run(const std::vector<std::string>& arguments, const quorvel::InjectedFaults& faults) {
    quorvel::RenderOptions options;
    std::string error;
    if (!quorvel::parseRenderOptions(arguments, options, error)) {
        std::fprintf(stderr, "quorvel-render: %s\n", error.c_str());
        return 2;
    }
    if (options.help)
        return printOrFail(std::string(quorvel::kRenderUsage) + quorvel::kExitStatusHelp +
                           quorvel::kVerifyExitStatusHelp);
    if (options.version) {
        return printOrFail(std::string("quorvel-render ") + quorvel::quorvelVersion() + "\n" +
                           quorvel::describeDrawing(*options.approx));
    }
    return options.verify ? quorvel::runVerify(options, faults) : quorvel::runRender(options);
}

}  // namespace

int quorvel::renderMain(int argc, char** argv, const InjectedFaults& faults) {
    quorvel::keepStandardStreamsTaken();
    quorvel::cleanUpOnInterrupt();
    quorvel::useBinaryOutput(stdout);
    // Whatever runs out of memory, the file being written is removed on the way out here.
    try {
        return run(quorvel::commandLineArguments(argc, argv), faults);
    } catch (const std::bad_alloc&) {
        std::fputs("quorvel-render: out of memory\n", stderr);
        return 1;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "quorvel-render: %s\n", failure.what());
        return 1;
    }
}
