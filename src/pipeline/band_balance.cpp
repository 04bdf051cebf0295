#include "pipeline/band_balance.h"

namespace quorvel {
namespace {

double areaOf(const PixelRect& rect) {
    return isEmpty(rect) ? 0.0 : double(rect.bottom - rect.top) * double(rect.right - rect.left);
}

}  // namespace

int balancedSplit(const DrawnStrips (&drawn)[kBandCount], int height) {
    double total = 0.0;
    for (const DrawnStrips& band : drawn) {
        for (int strip = 0; strip < kStripsPerBand; ++strip) total += areaOf(stripRect(band, strip));
    }
    if (total <= 0.0) return middleRow(height);
    // Bands lie top to bottom and strips top to bottom within them: walk down to the half.
    double before = 0.0;
    for (const DrawnStrips& band : drawn) {
        for (int strip = 0; strip < kStripsPerBand; ++strip) {
            const PixelRect rect = stripRect(band, strip);
            const double area = areaOf(rect);
            if (before + area >= total / 2 && area > 0.0) {
                const double rows = double(rect.bottom - rect.top) * (total / 2 - before) / area;
                return rect.top + int(rows + 0.5);
            }
            before += area;
        }
    }
    return middleRow(height);
}

}  // namespace quorvel
