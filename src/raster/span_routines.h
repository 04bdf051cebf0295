#pragma once

#include <span>
#include <string>

#include "raster/raster_types.h"

namespace quorvel {

// A span routine by name, bit-identical to every other: what --span-routine chooses from.
struct NamedSpanRoutine {
    const char* name;         // "reference", "avx2", "avx512vl", "avx512", "neon"
    const char* description;  // "one pixel at a time"
    SpanRoutine routine;
    bool available;  // whether this processor runs it
    // Keeps a face buffer, so that faces may come in any order (those facing the viewer
    // first); the others take them in the scene's order.
    bool takesFacesInAnyOrder;
};

// Every routine this build has, each faster than those before it where the processor runs it,
// but for the AVX-512 ones, whose speeds differ from processor to processor (see
// fastestSpanRoutine); the list is made once.
std::span<const NamedSpanRoutine> spanRoutines();

// The fastest span routine this processor runs: the last one in the list it runs, an AVX-512
// one only where that measured faster than avx2.
SpanRoutine fastestSpanRoutine();
// The name of a routine of this build ("avx2").
const char* spanRoutineName(SpanRoutine routine);

// Whether `routine`, one of this build's, keeps a face buffer (see NamedSpanRoutine).
bool takesFacesInAnyOrder(SpanRoutine routine);

// The routine named `name`, or null with `why` when there is none by that name or this
// processor lacks what it needs.
SpanRoutine spanRoutineNamed(const std::string& name, std::string& why);

}  // namespace quorvel
