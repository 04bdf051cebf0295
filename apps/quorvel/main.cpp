#include <cstdio>
#include <exception>
#include <new>

#include "platform/os/process_info.h"
#include "quorvel/shell.h"

int main(int argc, char** argv) {
    quorvel::attachToParentConsole();
    const quorvel::ApproxModel* approx = nullptr;
    const int status = quorvel::handleCommandLine(argc, argv, approx);
    if (status != quorvel::kOpenTheWindow) return status;
    try {
        return quorvel::startup(*approx);
    } catch (const std::bad_alloc&) {
        std::fputs("quorvel: out of memory\n", stderr);
        return 1;
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "quorvel: %s\n", failure.what());
        return 1;
    }
}
