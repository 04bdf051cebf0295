#pragma once

#include <vector>

#include "frame/viewport.h"
#include "raster/raster_types.h"
#include "scene/scene.h"

namespace quorvel {

// The mesh as the current frame sees it: vertices and vertex normals rotated.
struct TransformedMesh {
    std::vector<Vec3> vertices;
    std::vector<Vec3> normals;
};

// What drawing one band reads, and the one record it writes besides the band's rows.
struct BandJob {
    PixelRect rect;  // the band: the worker draws only here
    const Scene* scene;
    const TransformedMesh* mesh;
    float scale;
    const Viewport* viewport;
    SpanRoutine spanRoutine;
    DrawnStrips* drawn;  // the drawing worker's own record of where it drew; may be null
};

struct ProjectedPoint {
    ScreenPoint point;
    float depth;
};

// Orthographic, in double precision, rounded to nearest even; a coordinate outside the
// signed 16-bit range becomes -32768.
ProjectedPoint projectVertex(const Vec3& transformed, float scale, const Viewport& viewport);

// One band of a frame: projects every face in order and draws the part of it inside the
// job's band, widening the drawn record by every span.
void renderBand(const BandJob& job);

}  // namespace quorvel
