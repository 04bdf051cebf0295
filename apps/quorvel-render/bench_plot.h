#pragma once

#include <string>

#include "quorvel-render/frame_times.h"

namespace quorvel {

// An SVG picture of a run: each frame's time against its number, the median and 99th
// percentile as lines across, and on a second axis the share of the frame its solid's
// strips covered. The time axis fits the bulk of the frames; slower ones are marked at its
// top and counted in the legend. `firstFrame` numbers the first recorded frame.
std::string benchPlotSvg(const FrameTimes& times, const FrameTimeSummary& summary,
                         unsigned long long firstFrame, const std::string& title);

}  // namespace quorvel
