#include <gtest/gtest.h>

#include "frame/worker_pool.h"
#include "frame/worker_processors.h"
#include "test_frame.h"

namespace quorvel {
namespace {

TEST(RenderFrame, DrawsBandsItselfWhenNoWorkerStarts) {
    TestFrame threaded(320, 240), reference(320, 240);
    for (int frame = 0; frame < 200; frame += 1) {
        threaded.render(fastestRenderPath());
        reference.render(referenceRenderPath());
        ASSERT_EQ(threaded.color, reference.color) << "frame " << frame;
    }
}

// A pool whose threads never start: the calling thread draws every worker's share.
TEST(RenderFrame, PoolDrawsEveryShareItselfWhenNoWorkerStarts) {
    BandWorkers workers = workersOnProcessors(allowedProcessors(), 4);
    startWorkerPool(workers);
    const WorkerPoolInUse inUse{workers};
    TestFrame pooled(320, 240), reference(320, 240);
    for (int frame = 0; frame < 50; frame += 1) {
        pooled.render(fastestRenderPath(workers));
        reference.render(referenceRenderPath());
        ASSERT_EQ(pooled.color, reference.color) << "frame " << frame;
    }
}

}  // namespace
}  // namespace quorvel
