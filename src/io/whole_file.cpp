#include "io/whole_file.h"

#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <random>
#include <system_error>

#include "io/quoted_text.h"
#include "io/utf8_path.h"
#include "os/new_file.h"

namespace quorvel {
namespace {

// Names are drawn at random, so another run's files and anything planted are only ever
// met by chance; a name taken is simply drawn again.
constexpr int kNameDraws = 100;

std::string freshSiblingOf(const std::string& path) {
    std::random_device random;
    const uint64_t draw = uint64_t(random()) << 32 | random();
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%012" PRIx64 ".partial", draw & 0xFFFFFFFFFFFFu);
    const std::filesystem::path target = pathFromUtf8(path);
    return utf8Of(target.parent_path() / pathFromUtf8("." + utf8Of(target.filename()) + suffix));
}

std::string cannotWrite(const std::string& path, const std::string& why) {
    return "cannot write " + quotedValue(path) + ": " + why;
}

// Creates a fresh sibling of `path`; false with `why` when the folder refuses it.
bool createSibling(const std::string& path, std::string& temporary, std::FILE*& stream, std::string& why) {
    for (int draw = 0; draw < kNameDraws; ++draw) {
        temporary = freshSiblingOf(path);
        switch (createNewFile(temporary, stream, why)) {
            case NewFile::Created:
                return true;
            case NewFile::NameTaken:
                continue;
            case NewFile::Failed:
                return false;
        }
    }
    why = "every name tried beside it is taken";
    return false;
}

}  // namespace

WholeFile::~WholeFile() { discard(); }

void WholeFile::discard() {
    if (stream_ == nullptr) return;
    std::fclose(stream_);
    stream_ = nullptr;
    discardNewFile(temporary_);
}

bool WholeFile::open(const std::string& path, std::string& error) {
    discard();
    target_ = path;
    std::string why;
    if (createSibling(path, temporary_, stream_, why)) return true;
    stream_ = nullptr;
    error = cannotWrite(path, why);
    return false;
}

bool WholeFile::commit(int failedWrite, std::string& error) {
    int failure = failedWrite;
    errno = 0;
    if (std::fflush(stream_) != 0 && failure == 0) failure = errno != 0 ? errno : EIO;
    errno = 0;
    const bool closed = std::fclose(stream_) == 0;
    if (!closed && failure == 0) failure = errno != 0 ? errno : EIO;
    stream_ = nullptr;
    if (failure != 0) {
        discardNewFile(temporary_);
        error = cannotWrite(target_, std::strerror(failure));
        return false;
    }
    std::string why;
    if (!publishNewFile(temporary_, target_, why)) {
        error = cannotWrite(target_, why);
        return false;
    }
    return true;
}

bool folderTakesFiles(const std::string& folder, std::string& error) {
    std::string probe, why;
    std::FILE* stream = nullptr;
    if (!createSibling(utf8Of(pathFromUtf8(folder) / "quorvel-probe"), probe, stream, why)) {
        error = "cannot write into output folder " + quotedValue(folder) + ": " + why;
        return false;
    }
    std::fclose(stream);
    discardNewFile(probe);
    return true;
}

bool placeTakesFile(const std::string& path, std::string& error) {
    std::error_code code;
    if (std::filesystem::is_directory(std::filesystem::symlink_status(pathFromUtf8(path), code))) {
        error = cannotWrite(path, std::make_error_code(std::errc::is_a_directory).message());
        return false;
    }
    std::string probe, why;
    std::FILE* stream = nullptr;
    if (!createSibling(path, probe, stream, why)) {
        error = cannotWrite(path, why);
        return false;
    }
    std::fclose(stream);
    discardNewFile(probe);
    return true;
}

}  // namespace quorvel
