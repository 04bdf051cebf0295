#include "raster/span_routines.h"

#include "numeric/processor_features.h"
#include "numeric/processor_identity.h"
#include "numeric/simd.h"
#include "raster/draw_span_avx2.h"
#include "raster/draw_span_avx512.h"
#include "raster/draw_span_avx512vl.h"
#include "raster/draw_span_neon.h"
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
#if QUORVEL_ARM64
        {"neon", "eight pixels at a time", drawSpanNeon, true, true},
#endif
    };
    return routines;
}

namespace {

#if QUORVEL_X86
// The AVX-512 routine frames are drawn with where one measured faster than avx2, over the
// whole zoom cycle (frame means, runs interleaved): AMD's Zen 4, family 25 with AVX-512 (Zen 3,
// the same family, has none), which runs each 512-bit operation as two 256-bit halves, so
// sixteen lanes do no more work a cycle than eight, and the joins of two blocks cost extra:
// there avx512vl (eight lanes, 32 registers, mask registers) was the fastest, 1.04x avx2 at
// 1910x1070 and at 3830x2150, avx512 1.03x and 1.02x (docs/performance.md). Processors not
// measured, Zen 5 and Intel's among them, keep avx2.
SpanRoutine avx512RoutineMeasuredFasterHere() {
    static const ProcessorIdentity processor = identifyProcessor();
    if (processor.vendor == "AuthenticAMD" && processor.family == 25 && processorHasAvx512())
        return drawSpanAvx512Vl;
    return nullptr;
}

bool isAvx512Routine(SpanRoutine routine) { return routine == drawSpanAvx512Vl || routine == drawSpanAvx512; }
#endif

// Whether frames may be drawn with `named` by default: each routine the processor runs is
// faster than those before it in the list, but for the AVX-512 ones, which are only where
// they were measured so.
bool drawsByDefault(const NamedSpanRoutine& named) {
#if QUORVEL_X86
    if (isAvx512Routine(named.routine))
        return named.available && named.routine == avx512RoutineMeasuredFasterHere();
#endif
    return named.available;
}

}  // namespace

SpanRoutine fastestSpanRoutine() {
    SpanRoutine fastest = drawSpanReference;
    for (const NamedSpanRoutine& named : spanRoutines()) {
        if (drawsByDefault(named)) fastest = named.routine;
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
