#include "common/options.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace bench {

Options::Options(int argc, char** argv) : arguments_(argv + 1, argv + argc) {}

int Options::number(const std::string& name, int fallback) const {
    for (std::size_t index = 0; index + 1 < arguments_.size(); ++index) {
        if (arguments_[index] != name) continue;
        char* end = nullptr;
        long value = std::strtol(arguments_[index + 1].c_str(), &end, 10);
        if (end != arguments_[index + 1].c_str() && *end == '\0') return static_cast<int>(value);
    }
    return fallback;
}

bool Options::flag(const std::string& name) const {
    for (const std::string& argument : arguments_)
        if (argument == name) return true;
    return false;
}

int runGuarded(int argc, char** argv, int (*body)(const Options&)) {
    try {
        return body(Options(argc, argv));
    } catch (const std::exception& error) {
        std::printf("error: %s\n", error.what());
    } catch (...) {
        std::printf("error: unknown exception\n");
    }
    std::fflush(stdout);
    return 2;
}

}  // namespace bench
