#pragma once

#include "pipeline/bands.h"
#include "pipeline/viewport.h"
#include "raster/raster_types.h"
#include "scene/changed_area.h"

namespace quorvel {

// Every strip where either record's bands drew, as a few rectangles: between the frames
// the two records describe, only these pixels may change. With the same record twice,
// the area outside which both buffers hold their clear values.
ChangedArea changedBetween(const DrawnStrips (&before)[kBandCount], const DrawnStrips (&after)[kBandCount],
                           int height);

// Writes the clear values over the strips of both buffers where the bands drew, the only
// places that differ from them, in rows top..bottom-1 only: each band worker clears its own
// rows while the other draws.
void clearDrawnRows(const Viewport& viewport, const DrawnStrips (&drawn)[kBandCount], int top, int bottom);

}  // namespace quorvel
