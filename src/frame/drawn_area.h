#pragma once

#include "frame/bands.h"
#include "frame/viewport.h"
#include "numeric/changed_area.h"
#include "raster/raster_types.h"

namespace quorvel {

// Every strip where either record drew, as a few rectangles: between the frames the two
// records of the same frame size describe, only these pixels may change. With the same
// record twice, the area outside which both buffers hold their clear values.
ChangedArea changedBetween(const DrawnStrips& before, const DrawnStrips& after);

// Writes the clear values over the strips of each buffer where its record says the frame it
// holds drew, the only places that differ from them, in rows top..bottom-1 only: a band
// worker clears a band's rows just before drawing it, while the other worker draws another.
void clearDrawnRows(const Viewport& viewport, const DrawnStrips& colorDrawn, const DrawnStrips& depthDrawn,
                    int top, int bottom);

}  // namespace quorvel
