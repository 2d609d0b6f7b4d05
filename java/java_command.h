#pragma once
// Names a javaw.exe window after the Java command it runs.

#include <windows.h>

#include "util/record_sink.h"
#include "util/record_types.h"

// Replaces app.modulePath with the Java command that the process's performance-data file
// holds (bytes of the ANSI code page, as the record carries them), even when that command is
// empty. A file created before the process started belongs to an earlier process with the same
// id and is not used. On any failure the record stays as it is. Writes no
// log lines; the one diagnostic line for the parent (no user name) goes to `out`. Memory
// exhaustion propagates as an exception.
void lookupJavaCommand(DWORD processId, AppRecord& app, lookout::RecordSink& out);
