#pragma once
// Command-line switches of the benchmark programs ("--name value"), and their common entry.

#include <string>
#include <vector>

namespace bench {

class Options {
public:
    Options(int argc, char** argv);
    // The value after `name`, or `fallback` when the switch is absent or not a number.
    int number(const std::string& name, int fallback) const;
    bool flag(const std::string& name) const;

private:
    std::vector<std::string> arguments_;
};

// Runs `body` and turns an escaping exception (a test program that did not answer, a window
// that could not be made) into a message and exit code 2.
int runGuarded(int argc, char** argv, int (*body)(const Options&));

}  // namespace bench
