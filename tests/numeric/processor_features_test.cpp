// What CPUID says of this processor against what Linux says of it in /proc/cpuinfo: the
// family and model the AVX-512 routines' default is chosen by, and AVX-512 with its state
// saved (Linux lists the flags only where it saves that state).

#include "numeric/processor_features.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "numeric/processor.h"
#include "numeric/processor_identity.h"

namespace quorvel {
namespace {

struct CpuInfo {
    std::string vendor;
    int family = -1, model = -1;
    std::set<std::string> flags;
};

// The first processor's entry, or an empty vendor where there is no /proc/cpuinfo.
CpuInfo readCpuInfo() {
    CpuInfo info;
    std::ifstream in("/proc/cpuinfo");
    for (std::string line; std::getline(in, line) && !line.empty();) {
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string key = line.substr(0, line.find_last_not_of(" \t", colon - 1) + 1);
        const std::string value = colon + 2 <= line.size() ? line.substr(colon + 2) : "";
        if (key == "vendor_id") info.vendor = value;
        if (key == "cpu family") info.family = std::stoi(value);
        if (key == "model") info.model = std::stoi(value);
        if (key == "flags") {
            std::istringstream words(value);
            for (std::string flag; words >> flag;) info.flags.insert(flag);
        }
    }
    return info;
}

TEST(ProcessorFeatures, AgreeWithTheSystem) {
    if (!QUORVEL_X86) GTEST_SKIP() << "no CPUID off x86";
    const CpuInfo info = readCpuInfo();
    if (info.vendor.empty()) GTEST_SKIP() << "no /proc/cpuinfo to compare with";
    const ProcessorIdentity identity = identifyProcessor();
    EXPECT_EQ(identity.vendor, info.vendor);
    EXPECT_EQ(identity.family, info.family);
    EXPECT_EQ(identity.model, info.model);
    bool avx512 = true;
    for (const char* flag : {"avx512f", "avx512bw", "avx512dq", "avx512vl"})
        avx512 = avx512 && info.flags.count(flag);
    EXPECT_EQ(processorHasAvx512(), avx512);
}

}  // namespace
}  // namespace quorvel
