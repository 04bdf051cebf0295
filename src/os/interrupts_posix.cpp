#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "os/interrupts.h"

namespace quorvel {
namespace {

// Every signal another process (or a limit) may send whose default action ends the process,
// and the real-time ones below: not the profilers' timers, SIGPROF and SIGVTALRM, nor the
// faults, which say the program itself went wrong.
constexpr int kCleanedUpSignals[] = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT, SIGPIPE,   SIGXCPU,
                                     SIGALRM, SIGUSR1, SIGUSR2, SIGIO,   SIGSTKFLT, SIGPWR};

char pathToRemove[4096];
volatile sig_atomic_t havePath = 0;
sigset_t heldSignals;
sigset_t maskBeforeHold;

void onSignal(int signal) {
    if (havePath) unlink(pathToRemove);
    ::signal(signal, SIG_DFL);
    raise(signal);
}

void cleanUpOnSignal(int signal) {
    sigaddset(&heldSignals, signal);
    struct sigaction inherited {};
    if (sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN) return;
    ::signal(signal, onSignal);
}

}  // namespace

// A signal the parent chose to ignore (a shell's background job ignores SIGINT) stays ignored.
void cleanUpOnInterrupt() {
    sigemptyset(&heldSignals);
    for (int signal : kCleanedUpSignals) cleanUpOnSignal(signal);
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) cleanUpOnSignal(signal);
    ::signal(SIGXFSZ, SIG_IGN);
}

void holdInterrupts() { pthread_sigmask(SIG_BLOCK, &heldSignals, &maskBeforeHold); }

void releaseInterrupts() { pthread_sigmask(SIG_SETMASK, &maskBeforeHold, nullptr); }

// Held, the handler cannot run here; the fences still keep the copy from moving past the
// flag, for a handler running on another thread.
void removeOnInterrupt(const char* path) {
    havePath = 0;
    if (path == nullptr || std::strlen(path) >= sizeof pathToRemove) return;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    std::strcpy(pathToRemove, path);
    std::atomic_signal_fence(std::memory_order_seq_cst);
    havePath = 1;
}

}  // namespace quorvel
