#include "frame/bands.h"

namespace quorvel {
namespace {

// `count` bands of equal rows from `first` to `last`, appended to `cut`.
void appendEvenBands(BandCut& cut, int count, int first, int last) {
    for (int band = 0; band < count; ++band) {
        cut.firstRow[cut.count++] = first + int(int64_t(band) * (last - first) / count);
    }
    cut.firstRow[cut.count] = last;
}

}  // namespace

BandCut evenBands(int count, int height) {
    BandCut cut{};
    appendEvenBands(cut, std::clamp(count, 1, kMaxBands), 0, height);
    return cut;
}

BandCut bandsAround(int count, int top, int bottom, int height) {
    top = std::clamp(top, 0, height);
    bottom = std::clamp(bottom, top, height);
    BandCut cut{};
    cut.firstRow[0] = 0;
    if (top > 0) appendEvenBands(cut, 1, 0, top);
    if (bottom > top)
        appendEvenBands(cut, std::clamp(count, 1, std::min(kMaxBands - 2, bottom - top)), top, bottom);
    if (bottom < height) appendEvenBands(cut, 1, bottom, height);
    return cut;
}

}  // namespace quorvel
