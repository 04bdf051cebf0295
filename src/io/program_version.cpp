#include "io/program_version.h"

namespace quorvel {

const char* quorvelVersion() { return QUORVEL_VERSION; }

std::string compilerDescription() {
#if defined(__clang__)
    return "Clang " __clang_version__;
#elif defined(__GNUC__)
    return "GCC " + std::to_string(__GNUC__) + "." + std::to_string(__GNUC_MINOR__) + "." +
           std::to_string(__GNUC_PATCHLEVEL__);
#else
    return "unknown";
#endif
}

}  // namespace quorvel
