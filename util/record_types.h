#pragma once
// What one record reports, as plain data: filled in by the identification and the address
// readers, written out by app/records.h.

#include <string>

struct AppRecord {
    std::string modulePath;
    std::string description;
    std::string title;
};

struct SiteRecord {
    std::string url;
    std::string title;
};
