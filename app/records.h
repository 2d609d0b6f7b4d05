#pragma once
// The record stream on standard output: application and site records of "$"-separated items.

#include <string>

#include "util/record_sink.h"
#include "util/record_types.h"

// A copy of `field` with every "$" replaced by "S", so that a field never splits a record.
std::string escapeField(std::string field);

// The bytes of one whole record: the kind word, the escaped fields and a line feed, each followed
// by "$". Each text counts up to its first NUL, as the stream functions would write it.
std::string formatAppRecord(const AppRecord& app);
std::string formatSiteRecord(const AppRecord& app, const SiteRecord& site);

// Hand one whole record to `out`. In the program that is standard output's writer thread
// (standardOutput()), so that a parent that does not read never holds the caller; output errors
// are ignored there and the loop runs on even when nobody reads any more.
void SendAppRecord(const AppRecord& app, lookout::RecordSink& out);
void SendSiteRecord(const AppRecord& app, const SiteRecord& site, lookout::RecordSink& out);

// The sink of standard output.
lookout::RecordSink& standardOutput();

// Waits, bounded, until the records handed to standard output so far have been written.
void flushStandardOutput();

// Closes standard output for good once the records handed over so far have been written
// (bounded, so that a writer stuck on a full pipe cannot hold the caller for ever). Later records
// to standard output are dropped. Returns false when the wait ran out and the stream was left
// open.
bool closeStandardOutput();
