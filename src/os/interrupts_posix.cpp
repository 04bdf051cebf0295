#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <initializer_list>

#include "os/interrupts.h"

namespace quorvel {
namespace {

// Every signal another process (or a limit) may send whose default action ends the process,
// and the real-time ones below: not the profilers' timers, SIGPROF and SIGVTALRM, nor the
// faults, which say the program itself went wrong.
constexpr int kCleanedUpSignals[] = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT, SIGPIPE,   SIGXCPU,
                                     SIGALRM, SIGUSR1, SIGUSR2, SIGIO,   SIGSTKFLT, SIGPWR};

// The file to remove, in two copies: a new name is written into the copy not in use and then
// published, so a handler reads a whole name on whichever thread it runs (the program's own
// threads block these signals, but a library's may not). -1: none.
char pathsToRemove[2][4096];
std::atomic<int> pathInUse{-1};
static_assert(std::atomic<int>::is_always_lock_free, "read by a signal handler");
sigset_t heldSignals;
std::atomic<int> notedSignal{0};
sigset_t maskBeforeHold;

void onSignal(int signal) {
    const int inUse = pathInUse.load(std::memory_order_acquire);
    if (inUse >= 0) unlink(pathsToRemove[inUse]);
    ::signal(signal, SIG_DFL);
    raise(signal);
}

void cleanUpOnSignal(int signal) {
    sigaddset(&heldSignals, signal);
    struct sigaction inherited {};
    if (sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN) return;
    ::signal(signal, onSignal);
}

void onNotedSignal(int signal) {
    int none = 0;
    notedSignal.compare_exchange_strong(none, signal);
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

// Held, the handler cannot run on this thread; on another one it reads the copy published
// last, whole: the release orders the copying before the publishing.
void removeOnInterrupt(const char* path) {
    if (path == nullptr || std::strlen(path) >= sizeof pathsToRemove[0]) {
        pathInUse.store(-1, std::memory_order_release);
        return;
    }
    const int next = pathInUse.load(std::memory_order_relaxed) == 0 ? 1 : 0;
    std::strcpy(pathsToRemove[next], path);
    pathInUse.store(next, std::memory_order_release);
}

void noteInterrupts() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction inherited {};
        if (sigaction(signal, nullptr, &inherited) == 0 && inherited.sa_handler == SIG_IGN) continue;
        ::signal(signal, onNotedSignal);
    }
}

int interruptNoted() { return notedSignal.load(); }

void endAsInterrupted(int signal) {
    ::signal(signal, SIG_DFL);
    raise(signal);
    _exit(128 + signal);
}

}  // namespace quorvel
