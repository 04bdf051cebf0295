#pragma once

#include <string>

namespace quorvel {

// What the operating system says about itself and the processors, for reports.

// The system, its kernel's release and the machine: "Linux", "6.1.0-18-amd64", "x86_64";
// empty where it does not say.
struct SystemDescription {
    std::string name, kernel, machine;
};
SystemDescription describeSystem();

// The microcode revision the system loaded into `processor` ("0x1000065"); empty where it
// does not say (no /proc/cpuinfo, a processor without one, Windows without the registry value).
std::string microcodeOf(int processor);

}  // namespace quorvel
