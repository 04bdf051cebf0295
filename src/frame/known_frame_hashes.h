#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace quorvel {

// Every frame's hash over the zoom cycle, frames 0 to kZoomCycleFrames - 1, drawn through one
// maker's model at one size: the known answers --verify checks frames against. They were made
// once by the reference routine and confirmed frame by frame by the fast path
// (quorvel-known-hashes), never by the machine under test.
struct KnownFrameHashes {
    const char* model;  // the model's name, as --approx takes it
    int width, height;
    uint64_t fingerprint;    // the model's, which the hashes hold only for
    const uint64_t* hashes;  // kZoomCycleFrames of them, frame 0 first
};

// Every table this build has.
std::span<const KnownFrameHashes> knownFrameHashes();
// The table for `model` at width x height; null where there is none.
const KnownFrameHashes* knownFrameHashesFor(const std::string& model, int width, int height);

}  // namespace quorvel
