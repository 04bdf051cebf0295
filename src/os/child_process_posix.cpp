#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "os/child_process.h"

namespace quorvel {
namespace {

// Handlers the parent installed (its clean-up on interrupts) belong to its files: the child
// takes the default actions, and every signal unblocked, but for the terminal's (Ctrl+C,
// Ctrl+Backslash, a hang-up), which reach the whole process group: the parent decides what they
// end, and the child ends with it.
void useDefaultSignals() {
    for (int signal = 1; signal < NSIG; ++signal) {
        struct sigaction action {};
        if (sigaction(signal, nullptr, &action) != 0) continue;
        if (action.sa_handler != SIG_IGN && action.sa_handler != SIG_DFL) ::signal(signal, SIG_DFL);
    }
    for (int signal : {SIGINT, SIGQUIT, SIGHUP}) ::signal(signal, SIG_IGN);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
}

bool pinTo(int processor) {
    if (processor < 0 || processor >= CPU_SETSIZE) return false;
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(processor, &set);
    return sched_setaffinity(0, sizeof set, &set) == 0;
}

}  // namespace

bool childProcessesAvailable() { return true; }

void* allocateSharedPages(size_t bytes) {
    void* pages =
        mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    return pages == MAP_FAILED ? nullptr : pages;
}

void releaseSharedPages(void* pages, size_t bytes) {
    if (pages != nullptr) munmap(pages, bytes);
}

bool startChildProcess(ChildEntry entry, void* argument, int processor, ChildProcess& child) {
    const pid_t parent = getpid();
    std::fflush(nullptr);  // nothing buffered is written twice
    const pid_t id = fork();
    if (id < 0) return false;
    if (id > 0) {
        child.id = id;
        return true;
    }
    // The parent may have gone between fork and prctl: then it is gone for good.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(kChildNotPinned);
    useDefaultSignals();
    const struct rlimit noCore = {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    if (!pinTo(processor)) _exit(kChildNotPinned);
    _exit(entry(argument));
}

ChildEnd childEnded(ChildProcess& child) {
    static_assert(sizeof(pid_t) <= sizeof(intptr_t));
    if (child.id < 0) return {true, 0, 0};
    int status = 0;
    const pid_t ended = waitpid(pid_t(child.id), &status, WNOHANG);
    if (ended == 0) return {false, 0, 0};
    child.id = -1;
    if (ended < 0) return {true, 0, SIGKILL};  // lost to something else's wait: taken as killed
    if (WIFSIGNALED(status)) return {true, 0, WTERMSIG(status)};
    return {true, WEXITSTATUS(status), 0};
}

void killChild(ChildProcess& child) {
    if (child.id < 0) return;
    kill(pid_t(child.id), SIGKILL);
    int status = 0;
    while (waitpid(pid_t(child.id), &status, 0) < 0 && errno == EINTR) {
    }
    child.id = -1;
}

// The system's own abbreviations ("HUP"), with the prefix people write them with.
const char* signalName(int signal) {
    static thread_local char name[24];
    const char* abbreviation = sigabbrev_np(signal);
    if (abbreviation != nullptr) {
        std::snprintf(name, sizeof name, "SIG%s", abbreviation);
    } else {
        std::snprintf(name, sizeof name, "signal %d", signal);
    }
    return name;
}

}  // namespace quorvel
