#pragma once

#include <cstdio>
#include <string>

namespace quorvel {

// A file that appears under its name only when complete. Its bytes go to a new file of a
// fresh hidden name beside it (created exclusively, so nothing planted there is followed,
// and two writers never share one), which one rename then puts in place. A file not
// committed is removed, also when an exception or an interrupt cuts the writing short.
class WholeFile {
  public:
    WholeFile() = default;
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;
    ~WholeFile();

    // Starts writing `path` (UTF-8). False with `error`, an error line naming the file.
    bool open(const std::string& path, std::string& error);
    std::FILE* stream() const { return stream_; }
    // Closes the file and puts it in place. False with `error`, and nothing left behind,
    // when a write failed (`failedWrite` is that write's errno, or 0) or it cannot be placed.
    bool commit(int failedWrite, std::string& error);

  private:
    void discard();

    std::string target_;
    std::string temporary_;
    std::FILE* stream_ = nullptr;
};

// Whether files can be created in `folder`: one is made and removed again.
bool folderTakesFiles(const std::string& folder, std::string& error);
// Whether `path` can be written as a WholeFile, before anything is spent on its contents:
// no folder is in the way, and its hidden file can be created beside it (one is made and
// removed again, its name as long as the real one's, so a name too long is found too).
bool placeTakesFile(const std::string& path, std::string& error);

}  // namespace quorvel
