#include "raster/span_routines.h"

namespace quorvel {

SpanRoutine fastestSpanRoutine() { return drawSpan; }

}  // namespace quorvel
