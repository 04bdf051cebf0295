#pragma once

// Tests run once for each fast span routine of the build (every one but the reference),
// named after it, and skipped visibly where this processor cannot run it:
//   class MyTest : public FastRoutineTest {};
//   INSTANTIATE_TEST_SUITE_P(EveryFastRoutine, MyTest, testing::ValuesIn(fastRoutines()), routineName);

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "raster/draw_span_reference.h"
#include "raster/span_routines.h"

namespace quorvel {

inline std::vector<NamedSpanRoutine> fastRoutines() {
    std::vector<NamedSpanRoutine> fast;
    for (const NamedSpanRoutine& named : spanRoutines()) {
        if (named.routine != drawSpanReference) fast.push_back(named);
    }
    return fast;
}

inline std::string routineName(const testing::TestParamInfo<NamedSpanRoutine>& routine) {
    return routine.param.name;
}

class FastRoutineTest : public testing::TestWithParam<NamedSpanRoutine> {
  protected:
    void SetUp() override {
        if (!GetParam().available)
            GTEST_SKIP() << "this processor cannot run the " << GetParam().name << " routine";
    }
    SpanRoutine routine() const { return GetParam().routine; }
};

}  // namespace quorvel
