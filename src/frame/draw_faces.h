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
    // Beside the depth buffer, where the span routine keeps one: faces may then be drawn in
    // any order, ties of depth still going to the face first in the scene. May be null.
    uint8_t* faceBuffer;
};

struct ProjectedPoint {
    ScreenPoint point;
    float depth;
};

// Orthographic, in double precision, rounded to nearest even; a coordinate outside the
// signed 16-bit range becomes -32768.
ProjectedPoint projectVertex(const Vec3& transformed, float scale, const Viewport& viewport);

// The rows the mesh's vertices fall in this frame, top..bottom-1 (a face spans only rows
// between its corners'), reaching outside the frame where they do; all of the frame's
// `height` rows where a vertex is out of range.
struct RowSpan {
    int top, bottom;
};
RowSpan rowsOfMesh(const TransformedMesh& mesh, float scale, const Viewport& viewport, int height);

// One band of a frame: projects every face and draws the part of it inside the job's band,
// widening the drawn record by every span. Faces go in the scene's order, or with a face
// buffer those facing the viewer first; the frame comes out the same.
void renderBand(const BandJob& job);

}  // namespace quorvel
