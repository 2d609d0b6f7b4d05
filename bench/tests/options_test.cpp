#include <gtest/gtest.h>

#include "common/options.h"

namespace {

TEST(Options, NumbersAfterTheirSwitchOrTheFallback) {
    const char* argv[] = {"bench.exe", "--switches", "250", "--quick", "--seconds", "x1",
                          "--samples"};
    bench::Options options(7, const_cast<char**>(argv));
    EXPECT_EQ(options.number("--switches", 10), 250);
    EXPECT_EQ(options.number("--seconds", 60), 60) << "not a number";
    EXPECT_EQ(options.number("--samples", 6), 6) << "no value after it";
    EXPECT_EQ(options.number("--missing", 3), 3);
    EXPECT_TRUE(options.flag("--quick"));
    EXPECT_FALSE(options.flag("--slow"));
}

}  // namespace
