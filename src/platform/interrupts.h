#pragma once

namespace quorvel {

// From here on, an interrupt (SIGINT, SIGTERM or SIGPIPE; Ctrl+C or Ctrl+Break on Windows)
// leaves no file named by removeOnInterrupt behind and then ends the process as the signal
// would have: status 130, 143, or quietly on a closed pipe. On POSIX the file is removed at
// once; on Windows the interrupt waits until the writer has renamed or removed it. A signal
// the parent left ignored stays ignored.
void cleanUpOnInterrupt();
// Names the file being written (the path is copied), from before it is created until after
// it is renamed or removed, when it is called again with null.
void removeOnInterrupt(const char* path);

}  // namespace quorvel
