// Pixels of whole frames against the formulas, worked out here in double precision from the
// built-in data. The golden hashes and frames were drawn by the renderer itself: they catch
// a change, not a frame that was wrong from the start. Of the renderer's code this test
// calls only what loads the raw data and what draws the frame.
//
// What double precision cannot say is what the approximate reciprocals (and reciprocal
// square roots) give: 12-bit estimates, within 1.5 * 2^-12 of the true value, on every
// processor and in both makers' models. They enter in three places:
// - The fit scales the solid by one, so the renderer's corners lie up to that fraction of
//   their distance from the centre away from these. The frames and size below keep every
//   corner farther than that from a rounding boundary (checked), so both put each corner
//   on the same pixel, and spans run between the same columns.
// - The lights' directions and each pixel's normal are made unit length with one, so a
//   pixel's facing to a light (their dot product) is off by up to twice that fraction,
//   7.3e-4 of itself. The diffuse term moves as much (under 0.12 of at most 163); the
//   highlight, the facing to the 16th power, 16 times as much: up to 1.2 % of its colour,
//   3 of 255 at the middle of a highlight.
// So each channel is expected within 1 (the final rounding down) plus that move of the
// pixel's own light, times its texel over 256: +-1 at most of the points below, +-2 at the
// one in a highlight.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include "frame/animation.h"
#include "test_frame.h"

namespace quorvel {
namespace {

constexpr double kApproxError = 1.5 / 4096;
// Beyond the approximations, float arithmetic: the zoom's product of a few hundred factors
// and the attributes' steps along edges and spans, each a fraction 2^-24 off.
constexpr double kFloatDrift = 1e-4;

struct Point {
    double x, y, z;
};
Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point operator*(double s, Point a) { return {s * a.x, s * a.y, s * a.z}; }
double dot(Point a, Point b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Point cross(Point a, Point b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Point unit(Point a) { return (1.0 / std::sqrt(dot(a, a))) * a; }

using Color = std::array<double, 3>;  // blue, green, red

// The built-in solid, lights and picture, prepared by the formulas.
struct Model {
    std::vector<Point> vertices;  // centred, the largest half-extent 1
    std::vector<Point> normals;   // per vertex: the mean of its faces' unit normals, made unit
    std::vector<Face> faces;
    Point lightDirections[kLightCount];  // unit
    Color diffuse[kLightCount], specular[kLightCount];
    std::vector<Color> texels;  // 128 x 128, row 0 on top
};

Model builtInModel() {
    auto raw = std::make_unique<Scene>();
    loadBuiltInScene(*raw);
    Model model;
    model.faces = raw->faces;
    Point low = {raw->vertices[0].x, raw->vertices[0].y, raw->vertices[0].z}, high = low;
    for (const Vec3& v : raw->vertices) {
        low = {std::min<double>(low.x, v.x), std::min<double>(low.y, v.y), std::min<double>(low.z, v.z)};
        high = {std::max<double>(high.x, v.x), std::max<double>(high.y, v.y), std::max<double>(high.z, v.z)};
    }
    const Point centre = 0.5 * (low + high);
    const Point halfExtent = 0.5 * (high - low);
    const double largest = std::max({halfExtent.x, halfExtent.y, halfExtent.z});
    for (const Vec3& v : raw->vertices)
        model.vertices.push_back((1.0 / largest) * (Point{v.x, v.y, v.z} - centre));

    std::vector<Point> faceNormals;
    for (const Face& face : model.faces) {
        const Point* v = model.vertices.data();
        faceNormals.push_back(
            unit(cross(v[face.slot[1]] - v[face.slot[0]], v[face.slot[2]] - v[face.slot[1]])));
    }
    for (size_t i = 0; i < model.vertices.size(); ++i) {
        Point sum = {0, 0, 0};
        int count = 0;
        for (size_t j = 0; j < model.faces.size(); ++j) {
            const uint16_t* slot = model.faces[j].slot;
            if (slot[0] == i || slot[1] == i || slot[2] == i) {
                sum = sum + faceNormals[j];
                ++count;
            }
        }
        model.normals.push_back(unit((1.0 / count) * sum));
    }

    for (int i = 0; i < kLightCount; ++i) {
        const Light& light = raw->lights[i];
        model.lightDirections[i] =
            unit({light.direction.lane[0], light.direction.lane[1], light.direction.lane[2]});
        for (int c = 0; c < 3; ++c) {
            model.diffuse[i][c] = light.diffuse.lane[c];
            model.specular[i][c] = light.specular.lane[c];
        }
    }

    // The picture is stored turned half a turn, two 4-bit palette indices a byte, the high
    // one first: texel t is picture pixel 16383 - t.
    for (int t = 0; t < kTexelCount; ++t) {
        const int p = kTexelCount - 1 - t;
        const uint8_t byte = raw->image[p / 2];
        const PaletteEntry& entry = raw->palette[p % 2 == 0 ? byte >> 4 : byte & 0x0F];
        model.texels.push_back({double(entry[0]), double(entry[1]), double(entry[2])});
    }
    return model;
}

// Pixels per model unit in frame `frame` (within the first zoom cycle) of a drawing area
// `height` tall: a quarter of the height in whole pixels, shrunk a step a frame for 350
// frames, grown for 912, then shrunk again; a frame is drawn after its step.
double zoomScale(int frame, int height) {
    const int steps = frame + 1;
    const int shrinks =
        std::min<int>(steps, kZoomStartCounter) + std::max(0, steps - kZoomStartCounter - kZoomTurnCounter);
    const int grows = std::clamp(steps - kZoomStartCounter, 0, int{kZoomTurnCounter});
    return double(height / 4) * std::pow(double{kZoomOutFactor}, shrinks) *
           std::pow(double{kZoomInFactor}, grows);
}

// Turned 2a about the x axis, then x and z mixed by a (a mirror), a growing a step a frame
// through a 512-frame turn.
Point turned(Point p, int frame) {
    const double a = double(frame % int{kFramesPerRotationCycle}) * double{kAngleStep};
    const double y1 = std::cos(2 * a) * p.y + std::sin(2 * a) * p.z;
    const double z1 = std::cos(2 * a) * p.z - std::sin(2 * a) * p.y;
    return {std::sin(a) * p.x + std::cos(a) * z1, y1, std::cos(a) * p.x - std::sin(a) * z1};
}

// A face's corner on the screen: its pixel, and the values spans interpolate.
constexpr int kValues = 6;  // u, v, depth, normal x, y, z
struct Corner {
    int x, y;
    std::array<double, kValues> values;
};

// Texture coordinates by face slot: the picture's triangle, apex at the top middle.
constexpr double kSlotU[3] = {64, 0, 127};
constexpr double kSlotV[3] = {0, 127, 127};

struct FrameModel {
    int width, height;
    std::vector<std::array<Corner, 3>> faces;
};

FrameModel placeFaces(const Model& model, int frame, int width, int height) {
    FrameModel placed{width, height, {}};
    const double scale = zoomScale(frame, height);
    for (const Face& face : model.faces) {
        std::array<Corner, 3> corners;
        for (int slot = 0; slot < 3; ++slot) {
            const Point p = scale * turned(model.vertices[face.slot[slot]], frame);
            const Point n = turned(model.normals[face.slot[slot]], frame);
            // The renderer's corner may lie a fraction kApproxError (its fit) farther out or
            // nearer in: it must round to the same pixel.
            for (const double offset : {p.x, p.y}) {
                const double fromBoundary = 0.5 - std::abs(offset - std::nearbyint(offset));
                EXPECT_GT(fromBoundary, std::abs(offset) * (kApproxError + kFloatDrift))
                    << "frame " << frame << ": a corner too near a rounding boundary for this test";
            }
            corners[slot] = {int(std::nearbyint(p.x + width / 2)),
                             int(std::nearbyint(p.y + height / 2)),
                             {kSlotU[slot], kSlotV[slot], p.z + kDepthOffset, n.x, n.y, n.z}};
        }
        placed.faces.push_back(corners);
    }
    return placed;
}

// Where a face's span on `row` starts and ends: each edge's column on the row, in 22.10
// fixed point with the step per row rounded toward zero and then rounded down, carrying the
// edge's exact values on that row.
struct SpanEndAt {
    int column;
    std::array<double, kValues> values;
};

SpanEndAt edgeAt(const Corner& p, const Corner& q, int row) {
    const int dy = q.y - p.y;
    const int step = (q.x - p.x) * 1024 / dy;
    const double t = double(row - p.y) / dy;
    SpanEndAt end{(p.x * 1024 + (row - p.y) * step) >> 10, {}};
    for (int i = 0; i < kValues; ++i) end.values[i] = p.values[i] + t * (q.values[i] - p.values[i]);
    return end;
}

// The values a face gives pixel (x, row), if it covers it at least `margin` pixels inside
// its span and rows.
bool valuesAt(const std::array<Corner, 3>& face, int x, int row, int margin,
              std::array<double, kValues>& values) {
    std::array<Corner, 3> sorted = face;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Corner& a, const Corner& b) { return a.y < b.y; });
    const Corner &a = sorted[0], &b = sorted[1], &c = sorted[2];
    if (row < a.y + margin || row >= c.y - margin) return false;
    SpanEndAt left = edgeAt(a, c, row);
    SpanEndAt right = row < b.y ? edgeAt(a, b, row) : edgeAt(b, c, row);
    if (left.column > right.column) std::swap(left, right);
    if (x < left.column + margin || x >= right.column - margin) return false;
    const double t = double(x - left.column) / (right.column - left.column);
    for (int i = 0; i < kValues; ++i) values[i] = left.values[i] + t * (right.values[i] - left.values[i]);
    return true;
}

// Strongest light per channel: each light's facing d (at least 0) times its diffuse colour
// plus d^16 times its specular one, at most 255. With what the approximations may move it by.
void lightAt(const Model& model, Point normal, Color& light, Color& uncertainty) {
    const Point n = unit(normal);
    light = uncertainty = {0, 0, 0};
    const double facingError = 2 * kApproxError + kFloatDrift;
    for (int i = 0; i < kLightCount; ++i) {
        const double d = std::max(0.0, dot(model.lightDirections[i], n));
        const double highlight = std::pow(d, 16);
        for (int c = 0; c < 3; ++c) {
            light[c] = std::max(light[c], d * model.diffuse[i][c] + highlight * model.specular[i][c]);
            uncertainty[c] = std::max(
                uncertainty[c], facingError * d * model.diffuse[i][c] +
                                    (std::pow(1 + facingError, 16) - 1) * highlight * model.specular[i][c]);
        }
    }
    for (double& channel : light) channel = std::min(channel, 255.0);
}

// Bilinear, with coordinates capped at 124.
Color textureAt(const Model& model, double u, double v) {
    u = std::min(u, 124.0);
    v = std::min(v, 124.0);
    const int iu = int(u), iv = int(v);
    const double fu = u - iu, fv = v - iv;
    const auto texel = [&](int du, int dv) { return model.texels[(iv + dv) * kTextureSide + iu + du]; };
    Color color;
    for (int c = 0; c < 3; ++c) {
        color[c] = (1 - fu) * (1 - fv) * texel(0, 0)[c] + fu * (1 - fv) * texel(1, 0)[c] +
                   (1 - fu) * fv * texel(0, 1)[c] + fu * fv * texel(1, 1)[c];
    }
    return color;
}

struct ExpectedPixel {
    int x, y;
    Color color;      // light times texel over 256, rounded down
    Color tolerance;  // +-
};

// A handful of pixels well inside the faces in view: each one's middle and the points
// halfway from there to its corners.
std::vector<ExpectedPixel> expectedPixels(const Model& model, const FrameModel& frame) {
    std::vector<ExpectedPixel> pixels;
    for (size_t f = 0; f < frame.faces.size(); ++f) {
        const std::array<Corner, 3>& face = frame.faces[f];
        const double middleX = (face[0].x + face[1].x + face[2].x) / 3.0;
        const double middleY = (face[0].y + face[1].y + face[2].y) / 3.0;
        for (int toward = -1; toward < 3; ++toward) {
            const double px = toward < 0 ? middleX : (middleX + face[toward].x) / 2;
            const double py = toward < 0 ? middleY : (middleY + face[toward].y) / 2;
            const int x = int(std::lround(px)), y = int(std::lround(py));
            if (x < 0 || x >= frame.width || y < 0 || y >= frame.height) continue;
            std::array<double, kValues> values;
            if (!valuesAt(face, x, y, 3, values)) continue;
            // Seen only where no other face is nearer.
            bool nearest = true;
            for (size_t g = 0; g < frame.faces.size(); ++g) {
                std::array<double, kValues> other;
                if (g != f && valuesAt(frame.faces[g], x, y, 0, other) && other[2] < values[2] + 1)
                    nearest = false;
            }
            if (!nearest) continue;
            Color light, uncertainty;
            lightAt(model, {values[3], values[4], values[5]}, light, uncertainty);
            const Color texel = textureAt(model, values[0], values[1]);
            ExpectedPixel pixel{x, y, {}, {}};
            for (int c = 0; c < 3; ++c) {
                pixel.color[c] = std::floor(std::nearbyint(light[c] * texel[c]) / 256);
                pixel.tolerance[c] = 1 + std::floor(uncertainty[c] * texel[c] / 256 + kFloatDrift * 255);
            }
            pixels.push_back(pixel);
        }
    }
    return pixels;
}

// 0: the start; 1261: the largest zoom. The size keeps every corner of both frames clear of a
// rounding boundary by more than the fit's approximation can move it.
constexpr int kFrames[] = {0, 1261};
constexpr int kWidth = 920, kHeight = 516;

TEST(PixelOracle, FramesMatchTheLightingAndTextureFormulas) {
    const Model model = builtInModel();
    for (const ApproxModel* approx : {&kIntelApprox, &kAmdApprox}) {
        for (const int number : kFrames) {
            const FrameModel placed = placeFaces(model, number, kWidth, kHeight);
            const std::vector<ExpectedPixel> pixels = expectedPixels(model, placed);
            EXPECT_GE(pixels.size(), 4u) << "frame " << number << ": too few pixels to check";
            TestFrame frame(kWidth, kHeight, *approx);
            skipFrames(frame.frames, uint64_t(number));
            frame.render(fastestRenderPath());
            for (const ExpectedPixel& pixel : pixels) {
                const uint32_t drawn = frame.color[size_t(pixel.y) * kWidth + size_t(pixel.x)];
                for (int c = 0; c < 3; ++c) {
                    EXPECT_NEAR(double((drawn >> (8 * c)) & 0xFF), pixel.color[c], pixel.tolerance[c])
                        << approx->name << " frame " << number << " pixel (" << pixel.x << ", " << pixel.y
                        << ") channel "
                        << "bgr"[c];
                }
            }
        }
    }
}

}  // namespace
}  // namespace quorvel
