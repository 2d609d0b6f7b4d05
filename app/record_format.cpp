// The record bytes, apart from their writing: standard headers only, so that this builds anywhere.
#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "app/records.h"

namespace {

// A text as the stream functions write it: up to its first NUL.
std::string textOf(const std::string& text) { return text.substr(0, std::strlen(text.c_str())); }

std::string formatRecord(const char* kind, std::initializer_list<const std::string*> fields) {
    std::string record = std::string(kind) + "$";
    for (const std::string* field : fields) record += escapeField(textOf(*field)) + "$";
    record += "\n$";
    return record;
}

}  // namespace

std::string escapeField(std::string field) {
    std::replace(field.begin(), field.end(), '$', 'S');
    return field;
}

std::string formatAppRecord(const AppRecord& app) {
    return formatRecord("app", {&app.modulePath, &app.description, &app.title});
}

std::string formatSiteRecord(const AppRecord& app, const SiteRecord& site) {
    return formatRecord("site", {&site.url, &site.title, &app.modulePath});
}
