#pragma once

#include <string>

namespace quorvel {

// What the processor this thread runs on says it is, through CPUID: its maker's vendor text
// ("AuthenticAMD", "GenuineIntel"), its brand text, and family, model and stepping as the
// makers combine them (the extended fields added in). Empty texts and zeros where there is no
// CPUID (ARM64).
struct ProcessorIdentity {
    std::string vendor, brand;
    int family, model, stepping;
};
ProcessorIdentity identifyProcessor();

}  // namespace quorvel
