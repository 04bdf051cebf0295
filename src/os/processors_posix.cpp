#include <sched.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "os/processors.h"

namespace quorvel {
namespace {

// A number from /sys/devices/system/cpu/cpuN/topology/NAME; -1 where there is none (no sysfs,
// or a system that does not say).
int topologyValue(int processor, const char* name) {
    const std::string path = "/sys/devices/system/cpu/cpu" + std::to_string(processor) + "/topology/" + name;
    std::FILE* file = std::fopen(path.c_str(), "r");
    if (file == nullptr) return -1;
    int value = -1;
    if (std::fscanf(file, "%d", &value) != 1 || value < 0) value = -1;
    std::fclose(file);
    return value;
}

LogicalProcessor describe(int processor) {
    return {processor, topologyValue(processor, "physical_package_id"), topologyValue(processor, "core_id")};
}

}  // namespace

std::vector<LogicalProcessor> allowedProcessors() {
    std::vector<LogicalProcessor> allowed;
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) == 0) {
        for (int processor = 0; processor < CPU_SETSIZE; ++processor) {
            if (CPU_ISSET(processor, &set)) allowed.push_back(describe(processor));
        }
    }
    if (allowed.empty()) allowed.push_back(describe(std::max(sched_getcpu(), 0)));
    return allowed;
}

}  // namespace quorvel
