#pragma once

#include <string>
#include <vector>

#include "raster/raster_types.h"

namespace quorvel {

// A span routine by name, bit-identical to every other: what --span-routine chooses from.
struct NamedSpanRoutine {
    const char* name;         // "reference", "avx2"
    const char* description;  // "one pixel at a time"
    SpanRoutine routine;
    bool available;  // whether this processor runs it
};

// Every routine this build has, fastest last.
std::vector<NamedSpanRoutine> spanRoutines();

// The fastest span routine this processor runs.
SpanRoutine fastestSpanRoutine();
// The name of a routine of this build ("avx2").
const char* spanRoutineName(SpanRoutine routine);

// Whether `routine` keeps a face buffer, so that faces may come in any order; the others
// take them in the scene's order.
bool takesFacesInAnyOrder(SpanRoutine routine);

// The routine named `name`, or null with `why` when there is none by that name or this
// processor lacks what it needs.
SpanRoutine spanRoutineNamed(const std::string& name, std::string& why);

}  // namespace quorvel
