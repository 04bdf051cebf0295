#include "frame/build_info.h"

#include <cinttypes>
#include <cstdio>

#include "numeric/approx_fingerprint.h"
#include "raster/span_routines.h"

namespace quorvel {

const char* quorvelVersion() { return QUORVEL_VERSION; }

std::string describeBuild(const ApproxModel& approx) {
    char fingerprint[240];
    std::snprintf(fingerprint, sizeof fingerprint,
                  "approximations: %s%s, fingerprint %016" PRIx64
                  " (frame hashes match only between runs with the same fingerprint)\n",
                  approx.name, isNative(approx) ? " (this processor's instructions)" : " (measured tables)",
                  approxFingerprint(approx));
    return std::string("span routine: ") + spanRoutineName(fastestSpanRoutine()) + "\n" + fingerprint;
}

}  // namespace quorvel
