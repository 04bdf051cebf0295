#include "quorvel-render/verify_shared.h"

#include <cstdio>

#include "numeric/processor_identity.h"

namespace quorvel {
namespace {

constexpr size_t kPage = 4096;

size_t roundedUp(size_t bytes) { return (bytes + kPage - 1) / kPage * kPage; }

}  // namespace

SlotIdentity thisProcessorsIdentity() {
    const ProcessorIdentity processor = identifyProcessor();
    SlotIdentity identity{};
    std::snprintf(identity.vendor, sizeof identity.vendor, "%s", processor.vendor.c_str());
    std::snprintf(identity.brand, sizeof identity.brand, "%s", processor.brand.c_str());
    identity.family = processor.family;
    identity.model = processor.model;
    identity.stepping = processor.stepping;
    return identity;
}

VerifyLayout verifyLayout(int slots, int width, int height) {
    VerifyLayout layout{};
    layout.slotsOffset = roundedUp(sizeof(VerifyHeader));
    layout.pixelsOffset = roundedUp(layout.slotsOffset + sizeof(WorkerSlot) * size_t(slots));
    layout.pixelsPerSlot = roundedUp(size_t(width) * size_t(height) * sizeof(uint32_t)) / sizeof(uint32_t);
    layout.bytes = layout.pixelsOffset + layout.pixelsPerSlot * sizeof(uint32_t) * size_t(slots);
    return layout;
}

}  // namespace quorvel
