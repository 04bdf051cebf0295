#pragma once

#include "quorvel-render/injected_faults.h"

namespace quorvel {

// The whole program, from its command line to its exit status; `faults` are the test build's
// (see injected_faults.h), none in quorvel-render itself.
int renderMain(int argc, char** argv, const InjectedFaults& faults);

}  // namespace quorvel
