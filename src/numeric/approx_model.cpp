#include "numeric/approx_model.h"

namespace quorvel {

#if QUORVEL_X86
const ApproxModel kNativeApprox = {"native", 0, 0, nullptr, nullptr};

const ApproxModel& defaultApprox() { return kNativeApprox; }
#else
const ApproxModel& defaultApprox() { return kIntelApprox; }
#endif

const ApproxModel* approxModelNamed(const std::string& name, std::string& error) {
    error.clear();
    if (name == "intel") return &kIntelApprox;
    if (name == "amd") return &kAmdApprox;
    if (name == "native") {
#if QUORVEL_X86
        return &kNativeApprox;
#else
        error = "this processor has no approximate reciprocal instructions to copy; use intel or amd";
        return nullptr;
#endif
    }
    return nullptr;
}

}  // namespace quorvel
