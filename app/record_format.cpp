// The record bytes, apart from their writing: standard headers only, so that this builds anywhere.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "app/records.h"

namespace {

// A text as the stream functions write it: up to its first NUL.
std::string textOf(const std::string& text) { return text.substr(0, std::strlen(text.c_str())); }

std::string formatRecord(const char* kind, std::initializer_list<const std::string*> fields,
                         const AppRecord& app, bool withTime) {
    std::string record = std::string(kind) + "$";
    for (const std::string* field : fields) record += escapeField(textOf(*field)) + "$";
    if (withTime) record += formatRecordTime(app.seenAt) + "$";
    record += "\n$";
    return record;
}

constexpr std::uint64_t kTicksPerMillisecond = 10000;  // 100 ns units
constexpr std::uint64_t kMillisecondsPerDay = 86400000;
// From 1601-01-01, where a FILETIME counts from, to 1970-01-01.
constexpr std::int64_t kDaysFrom1601To1970 = 134774;

struct CivilDate {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

// The proleptic Gregorian date `days` after 1970-01-01, in eras of 400 years (146,097 days).
CivilDate civilFromDays(std::int64_t days) {
    days += 719468;  // from 0000-03-01: leap days then fall at the end of each year
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;  // March is 0
    const unsigned day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    const unsigned month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    return {static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

}  // namespace

std::string escapeField(std::string field) {
    std::replace(field.begin(), field.end(), '$', 'S');
    return field;
}

std::string formatRecordTime(std::uint64_t time) {
    const std::uint64_t milliseconds = time / kTicksPerMillisecond;
    const CivilDate date = civilFromDays(
        static_cast<std::int64_t>(milliseconds / kMillisecondsPerDay) - kDaysFrom1601To1970);
    const auto ofDay = static_cast<unsigned>(milliseconds % kMillisecondsPerDay);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02u:%02u:%02u.%03uZ",
                  static_cast<long long>(date.year), date.month, date.day, ofDay / 3600000,
                  ofDay / 60000 % 60, ofDay / 1000 % 60, ofDay % 1000);
    return text;
}

std::string formatAppRecord(const AppRecord& app, bool withTime) {
    return formatRecord("app", {&app.modulePath, &app.description, &app.title}, app, withTime);
}

std::string formatSiteRecord(const AppRecord& app, const SiteRecord& site, bool withTime) {
    return formatRecord("site", {&site.url, &site.title, &app.modulePath}, app, withTime);
}
