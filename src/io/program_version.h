#pragma once

namespace quorvel {

// The version, as the project's build states it.
const char* quorvelVersion();

}  // namespace quorvel
