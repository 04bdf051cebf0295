#include "io/program_version.h"

namespace quorvel {

const char* quorvelVersion() { return QUORVEL_VERSION; }

}  // namespace quorvel
