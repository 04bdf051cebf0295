#include "raster/span_routines.h"

#include "numeric/simd.h"
#include "raster/draw_span_avx2.h"
#include "raster/draw_span_reference.h"

namespace quorvel {

std::vector<NamedSpanRoutine> spanRoutines() {
    std::vector<NamedSpanRoutine> routines = {
        {"reference", "one pixel at a time", drawSpanReference, true},
    };
#if QUORVEL_X86
    routines.push_back({"avx2", "eight pixels at a time", drawSpanAvx2, processorHasAvx2()});
#endif
    return routines;
}

SpanRoutine fastestSpanRoutine() {
    SpanRoutine fastest = drawSpanReference;
    for (const NamedSpanRoutine& named : spanRoutines()) {
        if (named.available) fastest = named.routine;
    }
    return fastest;
}

const char* spanRoutineName(SpanRoutine routine) {
    for (const NamedSpanRoutine& named : spanRoutines()) {
        if (named.routine == routine) return named.name;
    }
    return "unknown";
}

bool takesFacesInAnyOrder([[maybe_unused]] SpanRoutine routine) {
#if QUORVEL_X86
    return routine == drawSpanAvx2;
#else
    return false;
#endif
}

SpanRoutine spanRoutineNamed(const std::string& name, std::string& why) {
    std::string names;
    for (const NamedSpanRoutine& named : spanRoutines()) {
        if (name == named.name) {
            if (named.available) return named.routine;
            why = "this processor cannot run the " + name + " span routine";
            return nullptr;
        }
        names += std::string(names.empty() ? "" : ", ") + named.name;
    }
    why = "there is no span routine by that name; this build has " + names;
    return nullptr;
}

}  // namespace quorvel
