#pragma once

namespace quorvel {

// From here on, an interrupt (any signal from outside whose default action ends the process:
// SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGXCPU, SIGALRM, SIGUSR1, SIGUSR2, SIGIO,
// SIGSTKFLT, SIGPWR and the real-time ones, but not SIGPROF, SIGVTALRM or a fault; Ctrl+C,
// Ctrl+Break or closing the console on Windows) removes the file named by removeOnInterrupt
// and then ends the process as the signal would have: status 128 + N, or quietly on a
// closed pipe.
// SIGXFSZ is ignored, so that a write past the file size limit fails with EFBIG and is
// reported like any other failed write. A signal the parent left ignored stays ignored.
void cleanUpOnInterrupt();
// Between these two an interrupt waits, so that creating a file and naming it (or renaming
// it and forgetting it) happen as one step. Not nested.
void holdInterrupts();
void releaseInterrupts();
// Names the file an interrupt removes (the path is copied), or none with null. Call it with
// interrupts held. Worker threads block interrupts (see worker_thread.h), so the handler
// runs on a thread that is not drawing.
void removeOnInterrupt(const char* path);

// For a run that ends itself in good order when asked to stop: from here on SIGINT, SIGTERM
// and SIGHUP (Ctrl+C, Ctrl+Break, closing the console on Windows) are only noted, and
// interruptNoted gives the first one's number, 0 before any. endAsInterrupted then ends the
// process as that signal does (status 128 + N).
void noteInterrupts();
int interruptNoted();
[[noreturn]] void endAsInterrupted(int signal);

}  // namespace quorvel
