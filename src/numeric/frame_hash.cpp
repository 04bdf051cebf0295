#include "numeric/frame_hash.h"

namespace quorvel {
namespace {

constexpr uint64_t kPrime = 0x100000001b3ull;

inline uint64_t mix(uint64_t hash, uint8_t byte) { return (hash ^ byte) * kPrime; }

}  // namespace

uint64_t fnv1a64(const void* bytes, size_t size, uint64_t hash) {
    const auto* data = static_cast<const uint8_t*>(bytes);
    for (size_t i = 0; i < size; ++i) hash = mix(hash, data[i]);
    return hash;
}

uint64_t frameHash(const uint32_t* pixels, size_t count) {
    uint64_t hash = kFnv1aOffsetBasis;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t pixel = pixels[i];
        hash = mix(hash, static_cast<uint8_t>(pixel));
        hash = mix(hash, static_cast<uint8_t>(pixel >> 8));
        hash = mix(hash, static_cast<uint8_t>(pixel >> 16));
        hash = mix(hash, static_cast<uint8_t>(pixel >> 24));
    }
    return hash;
}

}  // namespace quorvel
