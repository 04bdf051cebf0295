#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quorvel
