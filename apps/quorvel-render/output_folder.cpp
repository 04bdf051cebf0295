#include "quorvel-render/output_folder.h"

#include "io/quoted_text.h"
#include "io/utf8_path.h"
#include "io/whole_file.h"

namespace quorvel {
namespace {

// The outermost folder on the way to `folder` that does not exist yet; empty when all do.
std::filesystem::path firstMissingFolder(const std::filesystem::path& folder) {
    std::filesystem::path missing;
    std::error_code code;
    for (std::filesystem::path at = folder; !at.empty(); at = at.parent_path()) {
        if (std::filesystem::exists(std::filesystem::symlink_status(at, code))) break;
        missing = at;
        if (at == at.parent_path()) break;
    }
    return missing;
}

}  // namespace

void removeMadeFolders(const std::filesystem::path& folder, const std::filesystem::path& outermost) {
    if (outermost.empty()) return;
    std::error_code code;
    for (std::filesystem::path at = folder; !at.empty(); at = at.parent_path()) {
        if (std::filesystem::is_directory(std::filesystem::symlink_status(at, code)))
            std::filesystem::remove(at, code);
        if (at == outermost || at == at.parent_path()) break;
    }
}

bool prepareOutputFolder(const std::string& folder, std::filesystem::path& made, std::string& error) {
    const std::filesystem::path path = pathFromUtf8(folder);
    made = firstMissingFolder(path);
    std::error_code created, checked;
    std::filesystem::create_directories(path, created);
    if (!std::filesystem::is_directory(path, checked)) {
        const std::error_code why = created ? created : checked;
        error =
            "cannot use output folder " + quotedValue(folder) + ": " + (why ? why.message() : "not a folder");
        removeMadeFolders(path, made);
        return false;
    }
    if (folderTakesFiles(folder, error)) return true;
    removeMadeFolders(path, made);
    return false;
}

}  // namespace quorvel
