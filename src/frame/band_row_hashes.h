#pragma once

#include "frame/viewport.h"
#include "numeric/frame_hash.h"
#include "raster/drawn_strips.h"

namespace quorvel {

// The row records of rows top..bottom-1 of a band just drawn, into `rows`: only the columns
// the band's worker drew in are read.
void hashBandRows(const Viewport& viewport, const DrawnStrips& workerDrawn, int top, int bottom,
                  RowRecord* rows);

}  // namespace quorvel
