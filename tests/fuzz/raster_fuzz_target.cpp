// Fuzz target for the rasterizer: bytes become the approximations (the processor's own or a
// maker's model), a frame size, a band and up to eight triangles with any positions,
// depths, normals and texture coordinates (NaN and infinities included). Both span routines draw them into
// guarded buffers, the fastest one in reverse order with a face buffer where it takes faces in any order;
// any write outside the band, the buffers or the strips the triangle walk recorded, any crash, and any
// difference between the two routines is a failure.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "frame/bands.h"
#include "raster/draw_span_reference.h"
#include "raster/draw_triangle.h"
#include "raster/span_routines.h"
#include "scene/preparation.h"

namespace {

using namespace quorvel;

constexpr size_t kGuardWords = 64;
constexpr uint32_t kGuard = 0xA5A5A5A5u;
constexpr uint32_t kUntouched = 0x5A5A5A5Au;
// Depths start clear, as in every frame: a face stores only nearer ones, so each store shows.
constexpr uint32_t kUntouchedDepth = kClearDepthBits;
constexpr uint8_t kFaceGuard = 0xA5, kFaceUntouched = 0;
constexpr int kMaxTriangles = 8;

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    template <typename T>
    T take() {
        T value{};
        uint8_t bytes[sizeof(T)] = {};
        for (size_t i = 0; i < sizeof(T) && at < size; ++i) bytes[i] = data[at++];
        std::memcpy(&value, bytes, sizeof(T));
        return value;
    }
    bool empty() const { return at >= size; }
};

// Colour and depth words with guard zones on both sides, every word starting marked.
struct GuardedFrame {
    int width, height;
    std::vector<uint32_t> color, depth;
    std::vector<uint8_t> faces;

    GuardedFrame(int w, int h)
        : width(w),
          height(h),
          color(size_t(w) * h + 2 * kGuardWords, kUntouched),
          depth(size_t(w) * h + 2 * kGuardWords, kUntouchedDepth),
          faces(size_t(w) * h + 2 * kGuardWords, kFaceUntouched) {
        std::fill_n(color.begin(), kGuardWords, kGuard);
        std::fill_n(color.end() - kGuardWords, kGuardWords, kGuard);
        std::fill_n(depth.begin(), kGuardWords, kGuard);
        std::fill_n(depth.end() - kGuardWords, kGuardWords, kGuard);
        std::fill_n(faces.begin(), kGuardWords, kFaceGuard);
        std::fill_n(faces.end() - kGuardWords, kGuardWords, kFaceGuard);
    }
    uint32_t* colorPixels() { return color.data() + kGuardWords; }
    float* depthPixels() { return reinterpret_cast<float*>(depth.data() + kGuardWords); }
    uint8_t* facePixels() { return faces.data() + kGuardWords; }

    // Fails unless guards hold and only pixels inside the band and its recorded strips
    // changed.
    void check(const PixelRect& band, const DrawnStrips& drawn) const {
        for (size_t i = 0; i < kGuardWords; ++i) {
            if (color[i] != kGuard || depth[i] != kGuard || color[color.size() - 1 - i] != kGuard ||
                depth[depth.size() - 1 - i] != kGuard || faces[i] != kFaceGuard ||
                faces[faces.size() - 1 - i] != kFaceGuard) {
                std::abort();
            }
        }
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const bool inBand = y >= band.top && y < band.bottom && x >= band.left && x < band.right;
                const ColumnSpan strip = inBand ? drawn.columns[y / drawn.stripRows] : ColumnSpan{};
                const bool inStrip = inBand && x >= strip.left && x < strip.right;
                const size_t i = kGuardWords + size_t(y) * width + x;
                if (!inStrip &&
                    (color[i] != kUntouched || depth[i] != kUntouchedDepth || faces[i] != kFaceUntouched))
                    std::abort();
            }
        }
    }
};

TriangleVertex readVertex(Reader& in) {
    TriangleVertex vertex{};
    vertex.point = {in.take<int16_t>(), in.take<int16_t>()};
    vertex.depth = in.take<float>();
    for (float& lane : vertex.normal.lane) lane = in.take<float>();
    vertex.u = in.take<uint16_t>();
    vertex.v = in.take<uint16_t>();
    return vertex;
}

// The built-in scene as prepared with the processor's approximations or either maker's.
const Scene& preparedScene(uint8_t choice) {
    static const PreparedScene prepared[] = {prepareBuiltInScene(kNativeApprox),
                                             prepareBuiltInScene(kIntelApprox),
                                             prepareBuiltInScene(kAmdApprox)};
    return prepared[choice % std::size(prepared)].scene();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in{data, size};
    const Scene& scene = preparedScene(in.take<uint8_t>());
    const int width = 1 + in.take<uint8_t>() % 160;
    const int height = 1 + in.take<uint8_t>() % 120;
    PixelRect band{};
    band.top = in.take<uint8_t>() % (height + 1);
    band.bottom = band.top + in.take<uint8_t>() % (height - band.top + 1);
    band.left = in.take<uint8_t>() % (width + 1);
    band.right = band.left + in.take<uint8_t>() % (width - band.left + 1);

    TriangleVertex triangles[kMaxTriangles][3];
    int count = 0;
    while (!in.empty() && count < kMaxTriangles) {
        for (TriangleVertex& vertex : triangles[count]) vertex = readVertex(in);
        ++count;
    }

    GuardedFrame reference(width, height), fast(width, height);
    const SpanRoutine fastest = fastestSpanRoutine();
    DrawnStrips drawn = startDrawnStrips(width, height, false);
    const RasterTarget referenceTarget = {band,
                                          width,
                                          reference.colorPixels(),
                                          reference.depthPixels(),
                                          &scene.texture,
                                          scene.lights,
                                          scene.approx,
                                          drawSpanReference,
                                          &drawn,
                                          nullptr,
                                          0};
    const bool anyOrder = takesFacesInAnyOrder(fastest);
    RasterTarget fastTarget = {band,
                               width,
                               fast.colorPixels(),
                               fast.depthPixels(),
                               &scene.texture,
                               scene.lights,
                               scene.approx,
                               fastest,
                               &drawn,
                               anyOrder ? fast.facePixels() : nullptr,
                               0};
    for (int t = 0; t < count; ++t)
        drawTriangle(triangles[t][0], triangles[t][1], triangles[t][2], referenceTarget);
    for (int i = 0; i < count; ++i) {
        const int t = anyOrder ? count - 1 - i : i;
        fastTarget.face = static_cast<uint8_t>(t);
        drawTriangle(triangles[t][0], triangles[t][1], triangles[t][2], fastTarget);
    }
    reference.check(band, drawn);
    fast.check(band, drawn);
    if (reference.color != fast.color || reference.depth != fast.depth) std::abort();
    return 0;
}
