#include "scene/approx_model.h"

namespace quorvel {

#if defined(__x86_64__) || defined(__i386__)
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
#if defined(__x86_64__) || defined(__i386__)
        return &kNativeApprox;
#else
        error = "this processor has no approximate reciprocal instructions to copy; use intel or amd";
        return nullptr;
#endif
    }
    return nullptr;
}

}  // namespace quorvel
