#include "frame/known_frame_hashes.h"

namespace quorvel {

// Each made from its text file in generated/ by quorvel-known-hashes source.
extern const KnownFrameHashes kKnownHashesAmd1910x1070;
extern const KnownFrameHashes kKnownHashesAmd320x240;
extern const KnownFrameHashes kKnownHashesIntel1910x1070;
extern const KnownFrameHashes kKnownHashesIntel320x240;

std::span<const KnownFrameHashes> knownFrameHashes() {
    static const KnownFrameHashes tables[] = {kKnownHashesAmd1910x1070, kKnownHashesAmd320x240,
                                              kKnownHashesIntel1910x1070, kKnownHashesIntel320x240};
    return tables;
}

const KnownFrameHashes* knownFrameHashesFor(const std::string& model, int width, int height) {
    for (const KnownFrameHashes& table : knownFrameHashes()) {
        if (model == table.model && width == table.width && height == table.height) return &table;
    }
    return nullptr;
}

}  // namespace quorvel
