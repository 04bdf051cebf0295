#pragma once

#include <filesystem>
#include <string>

namespace quorvel {

// Makes the folder and proves a file can be created in it, before any frame is drawn; a
// folder that cannot be used is left as it was found. `made` is the outermost folder made
// (empty when none was), for a run refused later to remove again.
bool prepareOutputFolder(const std::string& folder, std::filesystem::path& made, std::string& error);

// Removes the empty folders from `folder` up to `outermost`, the ones a run made.
void removeMadeFolders(const std::filesystem::path& folder, const std::filesystem::path& outermost);

}  // namespace quorvel
