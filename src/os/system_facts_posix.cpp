#include <sys/utsname.h>

#include <fstream>

#include "os/system_facts.h"

namespace quorvel {

SystemDescription describeSystem() {
    struct utsname names {};
    if (uname(&names) != 0) return {};
    return {names.sysname, names.release, names.machine};
}

// /proc/cpuinfo holds a block per processor: "processor : N" first, "microcode : 0x..." in it.
std::string microcodeOf(int processor) {
    std::ifstream info("/proc/cpuinfo");
    bool inBlock = false;
    for (std::string line; std::getline(info, line);) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string key = line.substr(0, line.find_first_of(" \t"));
        const size_t start = line.find_first_not_of(" \t", colon + 1);
        const std::string value = start == std::string::npos ? "" : line.substr(start);
        if (key == "processor") {
            inBlock = value == std::to_string(processor);
        } else if (inBlock && key == "microcode") {
            return value;
        }
    }
    return "";
}

}  // namespace quorvel
