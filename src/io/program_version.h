#pragma once

#include <string>

namespace quorvel {

// The version, as the project's build states it.
const char* quorvelVersion();
// The compiler that built it: "GCC 12.2.0", "Clang 16.0.6".
std::string compilerDescription();

}  // namespace quorvel
