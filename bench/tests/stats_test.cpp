#include <gtest/gtest.h>

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
