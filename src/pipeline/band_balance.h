#pragma once

#include "pipeline/bands.h"

namespace quorvel {

// The row where band 1 should start so that both bands get about the same work, judged by
// where the last frame drew: each strip counts its drawn area, spread evenly over its rows.
// The middle row when nothing was drawn. Any split gives the same pixels: each row is
// drawn the same way whichever band draws it.
int balancedSplit(const DrawnStrips (&drawn)[kBandCount], int height);

}  // namespace quorvel
