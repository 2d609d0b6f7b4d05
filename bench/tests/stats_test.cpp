#include <gtest/gtest.h>

#include <cmath>

#include "common/stats.h"

namespace {

TEST(Percentile, NearestRankOnSmallAndEmptySamples) {
    std::vector<double> twenty;
    for (int i = 1; i <= 20; ++i) twenty.push_back(i);
    EXPECT_EQ(bench::percentile(twenty, 50), 10);
    EXPECT_EQ(bench::percentile(twenty, 95), 19) << "19 of 20 values lie at or below it";
    EXPECT_EQ(bench::percentile(twenty, 100), 20);
    EXPECT_EQ(bench::percentile(twenty, 0), 1);
    EXPECT_EQ(bench::percentile({7}, 95), 7);
    EXPECT_EQ(bench::percentile({}, 50), 0);
}

TEST(Summarize, SortsItsOwnCopy) {
    bench::Summary summary = bench::summarize({9, 1, 5, 3, 7});
    EXPECT_EQ(summary.count, 5u);
    EXPECT_EQ(summary.min, 1);
    EXPECT_EQ(summary.p50, 5);
    EXPECT_EQ(summary.p95, 9);
    EXPECT_EQ(summary.max, 9);
    EXPECT_DOUBLE_EQ(summary.mean, 5);
}

TEST(Slope, FitsALineThroughNoisyPoints) {
    EXPECT_DOUBLE_EQ(bench::slope({0, 1, 2, 3}, {5, 7, 9, 11}), 2);
    EXPECT_NEAR(bench::slope({0, 1, 2, 3}, {0, 1, 0, 1}), 0.2, 1e-12);
    EXPECT_EQ(bench::slope({4, 4}, {1, 9}), 0) << "no spread in x";
    EXPECT_EQ(bench::slope({1}, {1}), 0);
}

TEST(SlopeWithinGroups, IgnoresTheLevelOfEachGroup) {
    // Two levels a thousand apart, each rising by 2 per step: the jumps between levels are no
    // growth, as an overall fit would make them.
    std::vector<double> x = {0, 1, 2, 3, 4, 5};
    std::vector<double> y = {0, 1002, 4, 1006, 1008, 10};
    std::vector<long> level = {2, 4, 2, 4, 4, 2};
    EXPECT_NEAR(bench::slopeWithinGroups(x, y, level), 2, 1e-9);
    EXPECT_GT(std::abs(bench::slope(x, y) - 2), 10);
    EXPECT_EQ(bench::slopeWithinGroups({0, 1}, {5, 9}, {1, 2}), 0) << "single points";
}

TEST(Output, FigureLinesAndTablesHaveTheirFixedShapes) {
    EXPECT_EQ(bench::figureLine("switch_latency_p95", 9.8049, "ms"), "switch_latency_p95 9.80 ms");
    EXPECT_EQ(bench::figureLine("soak_handle_growth", -3, "handles", 0),
              "soak_handle_growth -3 handles");

    bench::Table table("Title", {"name", "value"});
    table.add({"long name", "1"});
    table.add({"x"});
    EXPECT_EQ(table.render(),
              "Title\n"
              "   name       value\n"
              " ------------------\n"
              "   long name      1\n"
              "   x\n");
}

}  // namespace
