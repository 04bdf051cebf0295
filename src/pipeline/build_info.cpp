#include "pipeline/build_info.h"

#include <cinttypes>
#include <cstdio>

#include "pipeline/approx_fingerprint.h"
#include "raster/span_routines.h"

namespace quorvel {

const char* quorvelVersion() { return QUORVEL_VERSION; }

std::string describeBuild() {
    char fingerprint[160];
    std::snprintf(fingerprint, sizeof fingerprint,
                  "processor fingerprint: %016" PRIx64
                  " (frame hashes match only between processors with the same fingerprint)\n",
                  approxFingerprint());
    return std::string("span routine: ") + spanRoutineName(fastestSpanRoutine()) + "\n" + fingerprint;
}

}  // namespace quorvel
