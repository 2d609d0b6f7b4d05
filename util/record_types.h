#pragma once
// What one record reports, as plain data: filled in by the identification and the address
// readers, written out by app/records.h.

#include <cstdint>
#include <string>

struct AppRecord {
    std::string modulePath;
    std::string description;
    std::string title;
    // When Lookout saw the change that this record reports (the window coming to the front, or
    // its new title): the system clock at that poll, in 100 ns units since 1601-01-01 UTC as a
    // FILETIME counts. Carried with the record, since a record may be written later than that.
    std::uint64_t seenAt = 0;
};

struct SiteRecord {
    std::string url;
    std::string title;
};
