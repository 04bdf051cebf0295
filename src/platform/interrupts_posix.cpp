#include <unistd.h>

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

void cleanUpOnInterrupt() {
    for (int signal : {SIGINT, SIGTERM, SIGPIPE}) std::signal(signal, onSignal);
}

void removeOnInterrupt(const char* path) {
    havePath = 0;
    if (path == nullptr || std::strlen(path) >= sizeof pathToRemove) return;
    std::strcpy(pathToRemove, path);
    havePath = 1;
}

}  // namespace quorvel
