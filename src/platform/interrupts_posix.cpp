#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <initializer_list>

#include "platform/interrupts.h"

namespace quorvel {
namespace {

char pathToRemove[4096];
volatile sig_atomic_t havePath = 0;

void onSignal(int signal) {
    if (havePath) unlink(pathToRemove);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

// A signal the parent chose to ignore (a shell's background job ignores SIGINT) stays ignored.
void cleanUpOnInterrupt() {
    for (int signal : {SIGINT, SIGTERM, SIGPIPE}) {
        struct sigaction inherited {};
        if (sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN) continue;
        std::signal(signal, onSignal);
    }
}

// The handler may run between any two instructions of the writing thread: the fences keep
// the copy from moving past the flag, so the handler never sees half a path.
void removeOnInterrupt(const char* path) {
    havePath = 0;
    if (path == nullptr || std::strlen(path) >= sizeof pathToRemove) return;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    std::strcpy(pathToRemove, path);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    havePath = 1;
}

}  // namespace quorvel
