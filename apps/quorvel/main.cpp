#include <cstdio>
#include <exception>
#include <new>

#include "os/interrupts.h"
#include "os/process_info.h"
#include "quorvel/shell.h"

int main(int argc, char** argv) {
    quorvel::keepStandardStreamsTaken();
    quorvel::attachToParentConsole();
    // A signal ends the program as it ends any other: status 128 + N.
    quorvel::cleanUpOnInterrupt();
    quorvel::WindowOptions options;
    options.errorBox = quorvel::startedWithoutConsole();
    try {
        const int status = quorvel::handleCommandLine(quorvel::commandLineArguments(argc, argv), options);
        if (status != quorvel::kOpenTheWindow) return status;
        return quorvel::startup(options);
    } catch (const std::bad_alloc&) {
        std::fputs("quorvel: out of memory\n", stderr);
        return 1;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "quorvel: %s\n", failure.what());
        return 1;
    }
}
