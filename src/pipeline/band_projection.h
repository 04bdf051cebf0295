#pragma once

#include "pipeline/viewport.h"
#include "raster/raster_types.h"
#include "scene/scene.h"

namespace quorvel {

// What one band worker needs; read-only while the workers run.
struct BandJob {
    int band;  // 0 top half, 1 bottom half
    const Scene* scene;
    float scale;
    const Viewport* viewport;
    SpanRoutine drawSpan;
    DrawnStrips* drawn;  // the band's record of where it drew
};

struct ProjectedPoint {
    ScreenPoint point;
    float depth;
};

// Orthographic, in double precision, rounded to nearest even; a coordinate outside the
// signed 16-bit range becomes -32768.
ProjectedPoint projectVertex(const Vec3& transformed, float scale, const Viewport& viewport);

BandRect bandRect(int band, const Viewport& viewport);

// Projects every face in order and draws the part of it inside `rect`, widening `drawn`
// (when not null) by every span.
void drawFaces(const Scene& scene, float scale, const Viewport& viewport, const BandRect& rect,
               SpanRoutine drawSpan, DrawnStrips* drawn);

// The body of a band worker: drawFaces over the job's band.
void renderBand(const BandJob& job);

}  // namespace quorvel
