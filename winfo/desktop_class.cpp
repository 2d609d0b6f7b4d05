#include "winfo/desktop_class.h"

#include <cctype>
#include <cstring>

bool IsDesktopClass(const std::string& className) {
    return CompareNoCase(className, "Progman") == 0 || CompareNoCase(className, "WorkerW") == 0;
}

int CompareNoCase(const std::string& a, const std::string& b) {
    std::string upperA = a;
    std::string upperB = b;
    for (char& c : upperA) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (char& c : upperB) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::size_t common = upperA.size() < upperB.size() ? upperA.size() : upperB.size();
    int order = std::memcmp(upperA.data(), upperB.data(), common);
    if (order != 0) return order;
    if (upperA.size() == upperB.size()) return 0;
    return upperA.size() < upperB.size() ? -1 : 1;
}
