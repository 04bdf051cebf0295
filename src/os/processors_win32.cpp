#include <windows.h>

#include <vector>

#include "os/processors.h"

namespace quorvel {
namespace {

constexpr int kMaskBits = 64;

// For each processor of the process's group, the index of the relation (a physical core or a
// package) it belongs to, in the order the system lists them; -1 where none is listed.
void indexRelation(LOGICAL_PROCESSOR_RELATIONSHIP relation, int (&index)[kMaskBits]) {
    for (int& value : index) value = -1;
    DWORD bytes = 0;
    GetLogicalProcessorInformationEx(relation, nullptr, &bytes);
    if (bytes == 0) return;
    std::vector<unsigned char> buffer(bytes);
    auto* first = reinterpret_cast<SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX*>(buffer.data());
    if (!GetLogicalProcessorInformationEx(relation, first, &bytes)) return;
    int listed = 0;
    for (DWORD offset = 0; offset < bytes;) {
        const auto* entry =
            reinterpret_cast<const SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX*>(buffer.data() + offset);
        const GROUP_AFFINITY& group = entry->Processor.GroupMask[0];
        for (int bit = 0; bit < kMaskBits; ++bit) {
            if (group.Group == 0 && (group.Mask >> bit & 1) != 0) index[bit] = listed;
        }
        ++listed;
        offset += entry->Size;
    }
}

}  // namespace

std::vector<LogicalProcessor> allowedProcessors() {
    DWORD_PTR process = 0, system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || process == 0) process = 1;
    int core[kMaskBits], package[kMaskBits];
    indexRelation(RelationProcessorCore, core);
    indexRelation(RelationProcessorPackage, package);
    std::vector<LogicalProcessor> allowed;
    for (int bit = 0; bit < kMaskBits; ++bit) {
        if ((process >> bit & 1) != 0) allowed.push_back({bit, package[bit], core[bit]});
    }
    return allowed;
}

}  // namespace quorvel
