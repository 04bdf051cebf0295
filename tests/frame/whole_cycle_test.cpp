// Each fast span routine against the reference, frame by frame over the zoom cycle: equal colour and
// depth, the frame's hash as the band workers make it, everything that changed inside the
// changed area and everything outside what was drawn clear. The fast frames follow one
// another, each cut into bands differently from the one before (so a band clears rows
// another cut drew) and drawn by a different number of workers, into one colour buffer or
// two in turn as the window draws them, while each reference frame is drawn over scribbled
// buffers that must be cleared whole.

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "../raster/fast_routines.h"
#include "frame/drawn_area.h"
#include "frame/worker_pool.h"
#include "frame/worker_processors.h"
#include "numeric/frame_hash.h"
#include "raster/raster_types.h"
#include "stacked_rects.h"
#include "test_frame.h"

namespace quorvel {
namespace {

// Frames first..last-1 at one size, into one colour buffer or two in turn.
struct CycleStretch {
    int width, height, first, last;
    bool twoColorBuffers = false;
};

// The columns of `area` in row y; empty when none of it is in the row.
ColumnSpan columnsInRow(const ChangedArea& area, int y) {
    for (int i = 0; i < area.count; ++i) {
        const PixelRect& rect = area.rects[i];
        if (y >= rect.top && y < rect.bottom) return {int16_t(rect.left), int16_t(rect.right)};
    }
    return {0, 0};
}

// Who draws the frames in turn: the calling thread; 1, 2, 3, 7, 16 and 64 workers started
// for each frame on the processors this test may use (more workers than processors share
// them); and a pool of 7 kept from frame to frame. Fewer where an emulator runs the test.
struct Crews {
    std::vector<BandWorkers> each;
    BandWorkers pool;

    explicit Crews(std::initializer_list<int> counts = {1, 2, 3, 7, 16, 64}, int pooled = 7) {
        const std::vector<LogicalProcessor> allowed = allowedProcessors();
        for (int count : counts) each.push_back(workersOnProcessors(allowed, count));
        pool = workersOnProcessors(allowed, pooled);
        startWorkerPool(pool);
    }
    ~Crews() { stopWorkerPool(pool); }
};

// The band cut of frame `frame`: every count from 1 to kMaxBands, by each crew in turn.
RenderPath cutOf(SpanRoutine routine, int frame, const Crews& crews) {
    const int crew = frame % int(crews.each.size() + 2);
    const BandWorkers* workers = crew == 0   ? nullptr
                                 : crew == 1 ? &crews.pool
                                             : &crews.each[size_t(crew - 2)];
    return {routine, 1 + (frame * 7) % kMaxBands, workers};
}

void expectStretchMatchesTheReference(SpanRoutine routine, const CycleStretch& stretch, const Crews& crews) {
    const int width = stretch.width, height = stretch.height;
    SCOPED_TRACE(testing::Message() << width << "x" << height
                                    << (stretch.twoColorBuffers ? ", two colour buffers" : ""));
    TestFrame fast(width, height), reference(width, height);
    hashEveryFrame(fast.frames);
    // The second buffer starts out holding anything at all.
    std::vector<uint32_t> second(fast.color.size(), 0xDEADBEEFu);
    uint32_t* const buffers[2] = {fast.color.data(), second.data()};
    if (stretch.twoColorBuffers) {
        ASSERT_TRUE(drawIntoColorBuffers(fast.frames, buffers, 2));
    }
    skipFrames(fast.frames, uint64_t(stretch.first));
    skipFrames(reference.frames, uint64_t(stretch.first));
    std::vector<uint32_t> before(fast.color.size(), 0);
    for (int frame = stretch.first; frame < stretch.last; ++frame) {
        std::fill(reference.color.begin(), reference.color.end(), 0xDEADBEEFu);
        std::fill(reference.depth.begin(), reference.depth.end(), 0.0f);
        reference.frames.drawn = reference.frames.colorDrawn[0] = startDrawnStrips(width, height, true);
        const bool intoSecond = stretch.twoColorBuffers && (frame - stretch.first) % 2 == 1;
        const DrawnFrame drawnFrame = renderFrame(fast.scene, fast.frames, cutOf(routine, frame, crews));
        const ChangedArea& changed = drawnFrame.changed;
        const std::vector<uint32_t>& color = intoSecond ? second : fast.color;
        ASSERT_EQ(drawnFrame.pixels, color.data()) << "frame " << frame;
        reference.render(referenceRenderPath());
        ASSERT_EQ(color, reference.color) << "frame " << frame;
        ASSERT_EQ(fast.depth, reference.depth) << "frame " << frame;
        ASSERT_EQ(lastFrameHash(fast.frames), frameHash(reference.color.data(), width, height))
            << "frame " << frame;

        const ChangedArea drawn = changedBetween(fast.frames.drawn, fast.frames.drawn);
        expectStacked(changed, width, height);
        expectStacked(drawn, width, height);
        for (int y = 0; y < height; ++y) {
            const ColumnSpan mayChange = columnsInRow(changed, y), wasDrawn = columnsInRow(drawn, y);
            for (int x = 0; x < width; ++x) {
                const size_t i = size_t(y) * size_t(width) + size_t(x);
                const bool inChanged = x >= mayChange.left && x < mayChange.right;
                if (frame > stretch.first && !inChanged) {
                    ASSERT_EQ(color[i], before[i])
                        << "outside the changed area, frame " << frame << " at " << x << "," << y;
                }
                if (x < wasDrawn.left || x >= wasDrawn.right) {
                    ASSERT_EQ(color[i], kClearColor)
                        << "outside the drawn area, frame " << frame << " at " << x << "," << y;
                    ASSERT_EQ(fast.depth[i], kClearDepth)
                        << "outside the drawn area, frame " << frame << " at " << x << "," << y;
                }
            }
        }
        before = color;
    }
}

// Small sizes over the whole cycle, with one colour buffer and with two; portrait and
// landscape at full size around the largest zoom (frame 1261), where the spans are longest.
void expectCycleMatchesTheReference(SpanRoutine routine) {
    const CycleStretch stretches[] = {
        {322, 182, 0, kZoomCycleFrames},
        {130, 98, 0, kZoomCycleFrames},
        {1910, 1074, 1200, 1320},
        {1070, 1910, 1200, 1320},
        {322, 182, 0, kZoomCycleFrames, true},
        {1910, 1074, 1200, 1240, true},
    };
    const Crews crews;
    for (const CycleStretch& stretch : stretches) expectStretchMatchesTheReference(routine, stretch, crews);
}

// The routine frames are drawn with by default.
TEST(RenderFrame, WholeCycleMatchesTheReference) {
    expectCycleMatchesTheReference(fastestRenderPath().spanRoutine);
}

// The smallest size over the whole cycle: rows falling unevenly into bands, a frame smaller
// than the solid's middle. Quick enough to run under an emulator (tests/cross/arm64_test.sh),
// with no more workers than qemu-user handles waiting for one another.
TEST(RenderFrame, WholeCycleAtASmallSizeMatchesTheReference) {
    expectStretchMatchesTheReference(fastestRenderPath().spanRoutine, {64, 48, 0, kZoomCycleFrames},
                                     Crews({1, 2, 3}, 3));
}

// Each other fast routine of the build.
class WholeCycle : public FastRoutineTest {};
INSTANTIATE_TEST_SUITE_P(EveryFastRoutine, WholeCycle, testing::ValuesIn(fastRoutines()), routineName);
// A build whose processor has only the reference routine has nothing to compare.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(WholeCycle);

TEST_P(WholeCycle, MatchesTheReference) {
    if (routine() == fastestRenderPath().spanRoutine)
        GTEST_SKIP()
            << "the routine frames are drawn with by default: RenderFrame.WholeCycleMatchesTheReference";
    expectCycleMatchesTheReference(routine());
}

}  // namespace
}  // namespace quorvel
