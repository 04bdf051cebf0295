#pragma once

#include <cstdio>
#include <string>

namespace quorvel {

// The file primitives behind files that appear whole or not at all. Paths are UTF-8.

enum class NewFile { Created, NameTaken, Failed };

// Creates the file `path` for writing, never opening or following anything already there
// (a file, a link, a FIFO: NameTaken). From the moment it exists, an interrupt removes it.
// Failed with `error` saying why.
NewFile createNewFile(const std::string& path, std::FILE*& stream, std::string& error);
// Renames a closed file made by createNewFile onto `target`, replacing (never writing
// through) what is there. False with `error`; the file is removed either way.
bool publishNewFile(const std::string& path, const std::string& target, std::string& error);
// Removes a closed file made by createNewFile.
void discardNewFile(const std::string& path);

}  // namespace quorvel
