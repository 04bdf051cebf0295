#pragma once

#include <string>

#include "numeric/approx_model.h"

namespace quorvel {

// What --version says after the program's name and version: the span routine in use and
// the approximations with the fingerprint that frame hashes depend on, a line each.
std::string describeDrawing(const ApproxModel& approx);

}  // namespace quorvel
