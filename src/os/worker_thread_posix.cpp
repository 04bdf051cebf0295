#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>

#include "os/pages.h"
#include "os/worker_thread.h"

namespace quorvel {
namespace {

constexpr int kHighestNice = -20;

// Threads carry their own nice value on Linux. As root -20 is granted; otherwise the
// lowest the nice limit allows. Real-time classes are never used: they can starve a desktop.
void raiseOwnPriority() {
    const auto self = static_cast<id_t>(syscall(SYS_gettid));
    if (setpriority(PRIO_PROCESS, self, kHighestNice) == 0) return;
    rlimit limit{};
    if (getrlimit(RLIMIT_NICE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return;
    const int floor = 20 - static_cast<int>(limit.rlim_cur);
    if (floor > kHighestNice && floor < getpriority(PRIO_PROCESS, self)) {
        setpriority(PRIO_PROCESS, self, floor);
    }
}

// Workers run on stacks of our own, reused frame after frame. On a stack the C library made,
// it hands the unused part back to the kernel as each thread ends: every processor is then
// interrupted to drop those pages from its address cache, and the next worker faults them in.
constexpr int kReusedStacks = 8;
constexpr size_t kStackBytes = size_t{8} << 20;

struct ReusedStack {
    std::atomic<bool> taken;
    void* base;  // set once by the first taker, guard page first
};

ReusedStack reusedStacks[kReusedStacks];

void* stackBase(ReusedStack& stack) {
    if (stack.base != nullptr) return stack.base;
    const auto guard = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    void* pages = allocatePages(guard + kStackBytes);
    if (pages == nullptr) return nullptr;
    // An overflow then faults instead of writing over other memory.
    if (mprotect(pages, guard, PROT_NONE) != 0) {
        releasePages(pages, guard + kStackBytes);
        return nullptr;
    }
    stack.base = static_cast<char*>(pages) + guard;
    return stack.base;
}

// A free stack, or -1 when all are in use or none can be made.
int takeStack() {
    for (int i = 0; i < kReusedStacks; ++i) {
        if (reusedStacks[i].taken.exchange(true, std::memory_order_acquire)) continue;
        if (stackBase(reusedStacks[i]) != nullptr) return i;
        reusedStacks[i].taken.store(false, std::memory_order_release);
        return -1;
    }
    return -1;
}

void giveBackStack(WorkerThread& worker) {
    if (worker.stack >= 0) reusedStacks[worker.stack].taken.store(false, std::memory_order_release);
    worker.stack = -1;
}

// Workers take no signal sent from outside: it goes to a thread that is not drawing, where the
// handler may remove the file being written. Faults stay with the thread that caused them, an
// abort with the thread that aborts, and profilers' timers with the threads they profile.
const sigset_t& signalsWorkersBlock() {
    static const sigset_t blocked = [] {
        sigset_t set;
        sigfillset(&set);
        for (int kept : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP, SIGSYS, SIGABRT, SIGPROF, SIGVTALRM})
            sigdelset(&set, kept);
        return set;
    }();
    return blocked;
}

void* runWorker(void* record) {
    const WorkerThread& worker = *static_cast<const WorkerThread*>(record);
    if (worker.raisedPriority) raiseOwnPriority();
    worker.entry(worker.argument);
    return nullptr;
}

// Pinned from birth when `pinned`, so the thread starts on its own processor instead of
// moving there.
bool startThread(pthread_t& thread, WorkerThread& worker, bool pinned) {
    if (pinned && (worker.processor < 0 || worker.processor >= CPU_SETSIZE)) return false;
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    bool ready = true;
    if (pinned) {
        cpu_set_t set;
        CPU_ZERO(&set);
        CPU_SET(worker.processor, &set);
        ready = pthread_attr_setaffinity_np(&attributes, sizeof(set), &set) == 0;
    }
    if (ready && worker.stack >= 0) {
        ready = pthread_attr_setstack(&attributes, reusedStacks[worker.stack].base, kStackBytes) == 0;
    }
    // The thread starts with every signal from outside blocked, so none can arrive before it
    // could block them itself.
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &signalsWorkersBlock(), &before);
    const bool created = ready && pthread_create(&thread, &attributes, runWorker, &worker) == 0;
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    pthread_attr_destroy(&attributes);
    return created;
}

}  // namespace

void createWorker(WorkerThread& worker, WorkerEntry entry, void* argument) {
    worker = {entry, argument, false, -1, 0, false, -1};
}

void raiseWorkerPriority(WorkerThread& worker) { worker.raisedPriority = true; }

void pinWorker(WorkerThread& worker, int processor) { worker.processor = processor; }

bool startWorker(WorkerThread& worker) {
    pthread_t thread;
    worker.stack = takeStack();
    // A processor that does not exist or is refused leaves the thread unpinned.
    worker.started = startThread(thread, worker, true) || startThread(thread, worker, false);
    if (worker.started) {
        worker.handle = static_cast<uintptr_t>(thread);
    } else {
        giveBackStack(worker);
    }
    return worker.started;
}

void waitForWorkers(WorkerThread* workers, int count) {
    for (int i = 0; i < count; ++i) {
        if (!workers[i].started) continue;
        pthread_join(static_cast<pthread_t>(workers[i].handle), nullptr);
        giveBackStack(workers[i]);
    }
}

void releaseWorker(WorkerThread& worker) { worker.started = false; }

static_assert(sizeof(cpu_set_t) <= sizeof(CallingThreadSettings::processors));

CallingThreadSettings joinWorkers(int processor) {
    CallingThreadSettings before{};
    cpu_set_t current;
    CPU_ZERO(&current);
    before.processorsKnown = pthread_getaffinity_np(pthread_self(), sizeof(current), &current) == 0;
    std::memcpy(before.processors, &current, sizeof(current));
    const auto self = static_cast<id_t>(syscall(SYS_gettid));
    errno = 0;
    before.priority = getpriority(PRIO_PROCESS, self);
    before.priorityKnown = errno == 0;
    if (processor >= 0 && processor < CPU_SETSIZE) {
        cpu_set_t pinned;
        CPU_ZERO(&pinned);
        CPU_SET(processor, &pinned);
        pthread_setaffinity_np(pthread_self(), sizeof(pinned), &pinned);
    }
    raiseOwnPriority();
    return before;
}

// Lowering a thread's priority back is always allowed.
void leaveWorkers(const CallingThreadSettings& before) {
    if (before.priorityKnown)
        setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), before.priority);
    if (!before.processorsKnown) return;
    cpu_set_t set;
    std::memcpy(&set, before.processors, sizeof(set));
    pthread_setaffinity_np(pthread_self(), sizeof(set), &set);
}

}  // namespace quorvel
