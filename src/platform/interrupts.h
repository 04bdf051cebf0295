#pragma once

namespace quorvel {

// From here on, an interrupt (SIGINT, SIGTERM or SIGPIPE; Ctrl+C or Ctrl+Break on Windows)
// first removes the file named by removeOnInterrupt and then ends the process as the
// signal would have: status 130, 143, or quietly on a closed pipe.
void cleanUpOnInterrupt();
// The file an interrupt removes, or none with null; the path is copied.
void removeOnInterrupt(const char* path);

}  // namespace quorvel
