#pragma once

#include "raster/raster_types.h"

namespace quorvel {

// Scan-converts one triangle into the target's band, calling target.spanRoutine per row.
// Edges step x in 22.10 fixed point; depth, texture coordinates and normal step as floats.
void drawTriangle(const TriangleVertex& vertex0, const TriangleVertex& vertex1, const TriangleVertex& vertex2,
                  const RasterTarget& target);

}  // namespace quorvel
