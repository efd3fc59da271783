#include "compare_runs.hpp"

#include <gtest/gtest.h>

#include <sstream>

using scenery_bake_determinism::compare_runs;
using scenery_bake_determinism::RunResult;

TEST(CompareRuns, IdenticalRunsPassAndCountRunOneOnly) {
    const RunResult run = {{0xA3AE, {"a", "b"}}, {0xA3AF, {}}, {0xA3B0, {"c"}}};
    std::ostringstream log;
    EXPECT_TRUE(compare_runs(run, run, log).has_value());
    EXPECT_EQ(log.str(),
              "scenery-bake-determinism: total placements = 3 across 3 LBs\n"
              "scenery-bake-determinism: PASS \u2014 all 169 LBs byte-identical across 2 runs\n");
}

TEST(CompareRuns, DriftListsFirstDifferingLinesAndFails) {
    const RunResult run1 = {{0x00AB, {"same", "one"}}, {0xA3AF, {"x"}}, {0xA3B0, {"p", "q"}}};
    const RunResult run2 = {{0x00AB, {"same", "two"}}, {0xA3AF, {"x"}}, {0xA3B0, {"p"}}};
    std::ostringstream log;
    const auto result = compare_runs(run1, run2, log);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().report(),
              "Error: scenery-bake-determinism: FAIL \u2014 2 LBs drifted between runs\n");
    // The count-only drift (0xA3B0) prints its LB line and no line pair.
    EXPECT_EQ(log.str(),
              "scenery-bake-determinism: total placements = 5 across 3 LBs\n"
              "  LB 0x00AB: 2 vs 2 lines\n"
              "    line 1: one\n"
              "           : two\n"
              "  LB 0xA3B0: 2 vs 1 lines\n");
}

TEST(CompareRuns, MisalignedLandblocksAreAnInternalFaultWithoutVerdict) {
    const RunResult run1 = {{0xA3AE, {"a"}}};
    const RunResult run2 = {{0xA3AF, {"a"}}};
    std::ostringstream log;
    const auto result = compare_runs(run1, run2, log);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().message(), "lb sequence drift");
    EXPECT_EQ(log.str(), "");
}
