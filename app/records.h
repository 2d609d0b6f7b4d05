#pragma once
// The record stream on standard output: application and site records of "$"-separated items.

#include <cstdint>
#include <string>

#include "util/record_sink.h"
#include "util/record_types.h"

// A copy of `field` with every "$" replaced by "S", so that a field never splits a record.
std::string escapeField(std::string field);

// `time` (as AppRecord::seenAt counts it) as a record's time field: UTC, ISO 8601 with
// milliseconds, for example "2026-12-09T14:03:07.125Z". Milliseconds are cut, not rounded.
std::string formatRecordTime(std::uint64_t time);

// The bytes of one whole record: the kind word, the escaped fields and a line feed, each followed
// by "$". Each text counts up to its first NUL, as the stream functions would write it. With
// `withTime`, app.seenAt follows the three fields as one more item, before the line feed.
std::string formatAppRecord(const AppRecord& app, bool withTime = false);
std::string formatSiteRecord(const AppRecord& app, const SiteRecord& site, bool withTime = false);

// Whether records carry the time of their change ("/time"). Set once at start-up, before any
// other thread starts.
void setRecordTimes(bool on);
bool recordsCarryTimes();

// The system clock now, as AppRecord::seenAt counts it, as finely as the system keeps it.
std::uint64_t recordTimeNow();

// Hand one whole record to `out`. In the program that is standard output's writer thread
// (standardOutput()), so that a parent that does not read never holds the caller; output errors
// are ignored there and the loop runs on even when nobody reads any more. The record carries
// app.seenAt when records carry times.
void SendAppRecord(const AppRecord& app, lookout::RecordSink& out);
void SendSiteRecord(const AppRecord& app, const SiteRecord& site, lookout::RecordSink& out);

// The sink of standard output.
lookout::RecordSink& standardOutput();

// Waits until the records handed to standard output so far have been written, for as long as
// the pipe takes bytes: only a second in which it takes none ends the wait.
void flushStandardOutput();

// Closes standard output for good once the records handed over so far have been written (waiting
// as flushStandardOutput() does, so that a writer stuck on a pipe nobody reads cannot hold the
// caller for ever). Later records to standard output are dropped. Returns false when the wait
// ended first and the stream was left open.
bool closeStandardOutput();
