#include "raster/drawing_description.h"

#include <cinttypes>
#include <cstdio>

#include "numeric/approx_fingerprint.h"
#include "numeric/native_equivalence.h"
#include "raster/span_routines.h"

namespace quorvel {

namespace {

const char* sourceOf(const ApproxModel& approx) {
    if (isNative(approx)) return " (this processor's instructions)";
    if (nativeGivesModel(approx))
        return " (measured tables, which this processor's instructions match: full speed)";
    if (fastestEquivalent(approx).reciprocalSqrtComputed)
        return " (measured tables; the per-pixel reciprocal square root computed from this processor's, "
               "which gives the same)";
    return " (measured tables)";
}

}  // namespace

std::string describeDrawing(const ApproxModel& approx) {
    char fingerprint[240];
    std::snprintf(fingerprint, sizeof fingerprint,
                  "approximations: %s%s, fingerprint %016" PRIx64
                  " (frame hashes match only between runs with the same fingerprint)\n",
                  approx.name, sourceOf(approx), approxFingerprint(approx));
    std::string routines = "span routine: ";
    for (const NamedSpanRoutine& named : spanRoutines()) {
        if (named.routine == fastestSpanRoutine())
            routines += std::string(named.name) + " (" + named.description + ")";
    }
    routines += "; all:";
    const char* separator = " ";
    for (const NamedSpanRoutine& named : spanRoutines()) {
        routines += separator + std::string(named.name) + (named.available ? "" : " (not on this processor)");
        separator = ", ";
    }
    return routines + "\n" + fingerprint;
}

}  // namespace quorvel
