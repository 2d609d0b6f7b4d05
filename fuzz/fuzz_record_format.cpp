// Records built from texts of any bytes (window titles, addresses, DDE replies and paths all come
// from other processes): each must read back, item by item, as its kind, three escaped fields and
// a lone line feed, and two records in a row as exactly two records; with its time, as the same
// items with the time before the line feed.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "app/records.h"
#include "fuzz_check.h"

namespace {

std::vector<std::string> itemsOf(const std::string& stream) {
    std::vector<std::string> items;
    std::size_t start = 0;
    for (std::size_t dollar; (dollar = stream.find('$', start)) != std::string::npos;
         start = dollar + 1)
        items.push_back(stream.substr(start, dollar - start));
    items.push_back(stream.substr(start));
    return items;
}

// What a field must read as: up to its first NUL, with every "$" made "S".
std::string expectedField(const std::string& text) {
    std::string field = text.substr(0, std::strlen(text.c_str()));
    for (char& c : field)
        if (c == '$') c = 'S';
    return field;
}

void checkRecord(const std::vector<std::string>& items, std::size_t first, const char* kind,
                 const std::string& a, const std::string& b, const std::string& c) {
    FUZZ_CHECK(items[first] == kind);
    FUZZ_CHECK(items[first + 1] == expectedField(a));
    FUZZ_CHECK(items[first + 2] == expectedField(b));
    FUZZ_CHECK(items[first + 3] == expectedField(c));
    FUZZ_CHECK(items[first + 4] == "\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    AppRecord app;
    SiteRecord site;
    app.modulePath = input.ConsumeRandomLengthString();
    app.description = input.ConsumeRandomLengthString();
    app.title = input.ConsumeRandomLengthString();
    site.url = input.ConsumeRandomLengthString();
    site.title = input.ConsumeRandomLengthString();
    app.seenAt = input.ConsumeIntegral<std::uint64_t>();
    const AppRecord appBefore = app;

    const std::string appBytes = formatAppRecord(app);
    const std::string siteBytes = formatSiteRecord(app, site);
    FUZZ_CHECK(app.title == appBefore.title && app.modulePath == appBefore.modulePath);
    FUZZ_CHECK(appBytes.size() >= 3 && appBytes.compare(appBytes.size() - 3, 3, "$\n$") == 0);
    FUZZ_CHECK(siteBytes.size() >= 3 && siteBytes.compare(siteBytes.size() - 3, 3, "$\n$") == 0);

    const std::vector<std::string> items = itemsOf(appBytes + siteBytes);
    FUZZ_CHECK(items.size() == 11);
    checkRecord(items, 0, "app", app.modulePath, app.description, app.title);
    checkRecord(items, 5, "site", site.url, site.title, app.modulePath);
    FUZZ_CHECK(items[10].empty());

    std::vector<std::string> timed = itemsOf(formatAppRecord(app, true));
    FUZZ_CHECK(timed.size() == 7 && timed[4] == formatRecordTime(app.seenAt) && timed[6].empty());
    timed.erase(timed.begin() + 4);
    FUZZ_CHECK(std::equal(timed.begin(), timed.begin() + 5, items.begin()));
    return 0;
}
