#include "raster/span_routines.h"

#include "numeric/avx512_support.h"
#include "numeric/simd.h"
#include "raster/draw_span_avx2.h"
#include "raster/draw_span_avx512.h"
#include "raster/draw_span_avx512vl.h"
#include "raster/draw_span_reference.h"

namespace quorvel {

std::span<const NamedSpanRoutine> spanRoutines() {
    static const NamedSpanRoutine routines[] = {
        {"reference", "one pixel at a time", drawSpanReference, true, false},
#if QUORVEL_X86
        {"avx2", "eight pixels at a time", drawSpanAvx2, processorHasAvx2(), true},
        {"avx512vl", "eight pixels at a time, built for AVX-512VL", drawSpanAvx512Vl, processorHasAvx512(),
         true},
        {"avx512", "sixteen pixels at a time", drawSpanAvx512, processorHasAvx512(), true},
#endif
    };
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

bool takesFacesInAnyOrder(SpanRoutine routine) {
    for (const NamedSpanRoutine& named : spanRoutines()) {
        if (named.routine == routine) return named.takesFacesInAnyOrder;
    }
    return false;
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
