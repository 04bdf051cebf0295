#pragma once

#include <string>

#include "numeric/approx_model.h"

namespace quorvel {

// The version, as the project's build states it.
const char* quorvelVersion();

// What --version says after the program's name and version: the span routine in use and
// the approximations with the fingerprint that frame hashes depend on, a line each.
std::string describeBuild(const ApproxModel& approx);

}  // namespace quorvel
