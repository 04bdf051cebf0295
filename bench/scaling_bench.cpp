// A model of drawing on more processors than this machine has:
//   scaling_bench [WxH ...]   (default 1910x1070 and 3830x2150)
// For each size it draws the zoom cycle on one worker (the calling thread, pinned) for each
// band count, keeping every band's time and the order the queue handed the bands out in; the
// rest of each frame's time is its serial part (animation, band order, the drawn area). Times
// are the drawing thread's own processor time, so that moments another program took the
// processor are not read as work, and each cycle is drawn twice, each band keeping the
// shorter of its two times. Band counts are compared over
// every fourth frame of the cycle; the programs' own counts are modelled over all of it. It measures what a
// pool round costs with no work: how long a sleeping worker takes to start, and the wait for the last one to
// finish. It then replays every frame on N simulated workers as the queue hands bands out: each band, in
// order, to the worker free first, worker 0 from the start and the others once woken. The prediction for two
// workers is checked against two real ones. What it cannot see: workers sharing caches and memory bandwidth,
// and a wake-up that grows with the number of sleeping workers. What reading the clock costs is
// taken off the bands and the serial part, as a run without timing does not pay it.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

#include "bench_canvas.h"
#include "frame/frame_driver.h"
#include "frame/worker_pool.h"
#include "frame/worker_processors.h"
#include "scene/preparation.h"

namespace {

using namespace quorvel;
using Clock = std::chrono::steady_clock;

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// What reading the clock costs, as seen between two reads: a band's time carries one such
// cost and the frame's two per band (about 0.5 us each where the read is a system call), which
// a run without timing does not pay.
double clockReadCost() {
    std::vector<double> costs(20000);
    for (double& cost : costs) {
        const double before = threadSeconds();
        cost = threadSeconds() - before;
    }
    std::sort(costs.begin(), costs.end());
    return costs[costs.size() / 2];
}

struct RecordedFrame {
    double serial;              // the frame's time less its bands'
    std::vector<double> bands;  // in the order they were handed out
};

struct PoolCosts {
    double helperStart;  // from a round's start until a sleeping worker starts its share
    double join;         // from the last share's end until the calling thread goes on
};

// A pool of `count` on this machine's processors, stopped at the end of the scope.
struct Pool {
    BandWorkers workers;
    explicit Pool(int count) : workers(workersOnProcessors(allowedProcessors(), count)) {
        startWorkerPool(workers);
    }
    ~Pool() { stopWorkerPool(workers); }
};

// Frames 0, stride, 2 x stride... of the cycle, each drawn after the one before it in the
// cycle (drawn, not timed) so that it clears what it would clear in a run.
std::vector<RecordedFrame> recordCycle(const PreparedScene& scene, const Canvas& canvas, int bands,
                                       int stride, double clockCost) {
    const Pool one(1);
    RenderPath path = fastestRenderPath(one.workers);
    path.bands = bands;
    std::vector<RecordedFrame> frames((kZoomCycleFrames + stride - 1) / stride);
    for (int pass = 0; pass < 2; ++pass) {
        FrameState state = startFrames(scene, canvas.viewport);
        timeEveryBand(state, threadSeconds);
        for (int number = 0; number < kZoomCycleFrames; ++number) {
            const double start = threadSeconds();
            renderFrame(scene, state, path);
            const double seconds = threadSeconds() - start;
            if (number % stride != 0) continue;
            RecordedFrame& frame = frames[size_t(number / stride)];
            frame.bands.resize(size_t(state.bandCount), pass == 0 ? 1e9 : 0.0);
            double banded = 0.0;
            for (int i = 0; i < state.bandCount; ++i) {
                const double timed = state.bandSeconds[size_t(state.bandOrder[size_t(i)])];
                double& band = frame.bands[size_t(i)];
                band = std::min(band, std::max(0.0, timed - clockCost));
                banded += timed;
            }
            const double serial = std::max(0.0, seconds - banded - clockCost * state.bandCount);
            frame.serial = pass == 0 ? serial : std::min(frame.serial, serial);
        }
    }
    return frames;
}

// The whole cycle's mean frame time, drawn by `count` real workers in a pool: drawn twice,
// each frame's shorter time, as the bands are recorded.
double measureCycle(const PreparedScene& scene, const Canvas& canvas, int count) {
    const Pool pool(count);
    std::vector<double> shortest(kZoomCycleFrames, 1e9);
    for (int pass = 0; pass < 2; ++pass) {
        FrameState state = startFrames(scene, canvas.viewport);
        for (double& seconds : shortest) {
            const Clock::time_point start = Clock::now();
            renderFrame(scene, state, fastestRenderPath(pool.workers));
            seconds = std::min(seconds, secondsSince(start));
        }
    }
    double total = 0.0;
    for (double seconds : shortest) total += seconds;
    return total / kZoomCycleFrames;
}

struct EmptyRound {
    Clock::time_point start;
    Clock::time_point helperStarted;
};

void noteStart(int worker, void* context) {
    if (worker == 1) static_cast<EmptyRound*>(context)->helperStarted = Clock::now();
}

// Medians over many empty rounds of a pool of two.
PoolCosts measurePoolCosts() {
    const Pool two(2);
    std::vector<double> starts, rounds;
    for (int i = 0; i < 4000; ++i) {
        EmptyRound round{Clock::now(), {}};
        runOnBandWorkers(two.workers, noteStart, &round);
        rounds.push_back(secondsSince(round.start));
        starts.push_back(std::chrono::duration<double>(round.helperStarted - round.start).count());
    }
    std::sort(starts.begin(), starts.end());
    std::sort(rounds.begin(), rounds.end());
    const double start = starts[starts.size() / 2];
    return {start, std::max(0.0, rounds[rounds.size() / 2] - start)};
}

// One frame on `count` simulated workers.
double replayFrame(const RecordedFrame& frame, int count, const PoolCosts& costs) {
    std::vector<double> freeAt(size_t(count), costs.helperStart);
    freeAt[0] = 0.0;
    for (double band : frame.bands) *std::min_element(freeAt.begin(), freeAt.end()) += band;
    return frame.serial + *std::max_element(freeAt.begin(), freeAt.end()) + (count > 1 ? costs.join : 0.0);
}

double replayCycle(const std::vector<RecordedFrame>& frames, int count, const PoolCosts& costs) {
    double total = 0.0;
    for (const RecordedFrame& frame : frames) total += replayFrame(frame, count, costs);
    return total / double(frames.size());
}

void modelSize(const PreparedScene& scene, int width, int height, const PoolCosts& costs, double clockCost) {
    Canvas canvas;
    if (!canvas.allocate(width, height)) {
        std::fprintf(stderr, "scaling_bench: cannot allocate frame buffers of %dx%d\n", width, height);
        return;
    }
    const int counts[] = {1, 2, 4, 8, 16, 32, 64};
    const int bandCounts[] = {32, 64, 128, 256, 512};
    std::vector<std::vector<RecordedFrame>> sampled;
    for (int bands : bandCounts) sampled.push_back(recordCycle(scene, canvas, bands, 4, clockCost));
    const double sampledOne = replayCycle(sampled[0], 1, costs);
    std::printf(
        "scaling_bench %dx%d, every 4th frame: efficiency predicted for N workers by band count (one "
        "worker's frame time with 32 bands over N x the frame time on N)\n  bands",
        width, height);
    for (int count : counts) std::printf("  N=%-4d", count);
    std::printf("\n");
    for (size_t b = 0; b < sampled.size(); ++b) {
        std::printf("  %5d", bandCounts[b]);
        for (int count : counts)
            std::printf("  %5.1f%%", 100.0 * sampledOne / (count * replayCycle(sampled[b], count, costs)));
        std::printf("\n");
    }

    // The whole cycle at each band count the programs use.
    std::vector<int> bandCountsUsed;
    std::vector<std::vector<RecordedFrame>> recorded;
    for (int count : counts) {
        if (std::find(bandCountsUsed.begin(), bandCountsUsed.end(), bandCountFor(count)) !=
            bandCountsUsed.end())
            continue;
        bandCountsUsed.push_back(bandCountFor(count));
        recorded.push_back(recordCycle(scene, canvas, bandCountFor(count), 1, clockCost));
    }
    const double one = replayCycle(recorded[0], 1, costs);

    const double measuredOne = measureCycle(scene, canvas, 1), measuredTwo = measureCycle(scene, canvas, 2);
    std::printf("scaling_bench %dx%d with the programs' band counts:\n", width, height);
    std::printf("  N  bands  predicted ms  speed-up  efficiency  measured ms  model off by\n");
    for (int count : counts) {
        const int bands = bandCountFor(count);  // around the solid
        const size_t b =
            size_t(std::find(bandCountsUsed.begin(), bandCountsUsed.end(), bands) - bandCountsUsed.begin());
        const double predicted = replayCycle(recorded[b], count, costs);
        std::printf("  %-2d %5d  %12.3f  %7.2fx  %9.1f%%", count, bands, 1e3 * predicted, one / predicted,
                    100.0 * one / (count * predicted));
        if (count <= 2) {
            const double measured = count == 1 ? measuredOne : measuredTwo;
            std::printf("  %11.3f  %+11.1f%%", 1e3 * measured, 100.0 * (predicted - measured) / measured);
        }
        std::printf("\n");
    }
    std::printf("  measured: two workers draw %.2fx as fast as one, efficiency %.1f %%\n",
                measuredOne / measuredTwo, 50.0 * measuredOne / measuredTwo);
    double serial = 0.0;
    for (const RecordedFrame& frame : recorded[0]) serial += frame.serial;
    std::printf("  serial part %.3f ms a frame (%.1f %% of one worker's frame)\n",
                1e3 * serial / double(recorded[0].size()), 100.0 * serial / double(recorded[0].size()) / one);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::pair<int, int>> sizes;
    for (int i = 1; i < argc; ++i) {
        int width = 0, height = 0;
        if (!parseBenchSize("scaling_bench", argv[i], width, height)) return 2;
        sizes.emplace_back(width, height);
    }
    if (sizes.empty()) sizes = {{1910, 1070}, {3830, 2150}};
    static const PreparedScene scene = prepareBuiltInScene();
    const PoolCosts costs = measurePoolCosts();
    std::printf(
        "scaling_bench: a sleeping worker starts %.1f us after the round does; the last one's end "
        "reaches the calling thread %.1f us later\n",
        1e6 * costs.helperStart, 1e6 * costs.join);
    const double clockCost = clockReadCost();
    std::printf("scaling_bench: reading the clock costs %.2f us, taken off every band timed\n",
                1e6 * clockCost);
    for (const auto& [width, height] : sizes) modelSize(scene, width, height, costs, clockCost);
    return 0;
}
