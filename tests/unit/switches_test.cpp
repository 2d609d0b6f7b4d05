#include <gtest/gtest.h>

#include <vector>

#include "app/hooks.h"

namespace {

Switches parse(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "/time");  // the program's name is never a switch
    return parseSwitches(static_cast<int>(arguments.size()), const_cast<char**>(arguments.data()));
}

TEST(Switches, AreMatchedWholeAndCaseSensitivelyInAnyPosition) {
    const Switches none = parse({"/TIME", "-time", "/times", "/tim", "/STDIN", "/stdin ", "/Utf8"});
    EXPECT_FALSE(none.debugLog || none.utf8 || none.times || none.stdinStops);
    const Switches all = parse({"x", "/stdin", "/time", "/utf8", "/debuglog", "/time"});
    EXPECT_TRUE(all.debugLog && all.utf8 && all.times && all.stdinStops);
    const Switches one = parse({"a", "/stdin"});
    EXPECT_TRUE(one.stdinStops && !one.times && !one.utf8 && !one.debugLog);
}

}  // namespace
