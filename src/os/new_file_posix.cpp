#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "os/interrupts.h"
#include "os/new_file.h"

namespace quorvel {

NewFile createNewFile(const std::string& path, std::FILE*& stream, std::string& error) {
    holdInterrupts();
    const int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    const int openError = errno;
    if (descriptor >= 0) removeOnInterrupt(path.c_str());
    releaseInterrupts();
    if (descriptor < 0) {
        if (openError == EEXIST) return NewFile::NameTaken;
        error = std::strerror(openError);
        return NewFile::Failed;
    }
    stream = fdopen(descriptor, "wb");
    if (stream == nullptr) {
        error = std::strerror(errno);
        close(descriptor);
        discardNewFile(path);
        return NewFile::Failed;
    }
    return NewFile::Created;
}

bool publishNewFile(const std::string& path, const std::string& target, std::string& error) {
    holdInterrupts();
    const bool renamed = rename(path.c_str(), target.c_str()) == 0;
    const int renameError = errno;
    if (!renamed) unlink(path.c_str());
    removeOnInterrupt(nullptr);
    releaseInterrupts();
    if (!renamed) error = std::strerror(renameError);
    return renamed;
}

void discardNewFile(const std::string& path) {
    holdInterrupts();
    unlink(path.c_str());
    removeOnInterrupt(nullptr);
    releaseInterrupts();
}

}  // namespace quorvel
