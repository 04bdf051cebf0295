#include "quorvel-render/verify_shared.h"

namespace quorvel {
namespace {

constexpr size_t kPage = 4096;

size_t roundedUp(size_t bytes) { return (bytes + kPage - 1) / kPage * kPage; }

}  // namespace

VerifyLayout verifyLayout(int slots, int width, int height) {
    VerifyLayout layout{};
    layout.slotsOffset = roundedUp(sizeof(VerifyHeader));
    layout.pixelsOffset = roundedUp(layout.slotsOffset + sizeof(WorkerSlot) * size_t(slots));
    layout.pixelsPerSlot = roundedUp(size_t(width) * size_t(height) * sizeof(uint32_t)) / sizeof(uint32_t);
    layout.bytes = layout.pixelsOffset + layout.pixelsPerSlot * sizeof(uint32_t) * size_t(slots);
    return layout;
}

}  // namespace quorvel
