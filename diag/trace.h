#pragma once
// The trace line a traced function writes when it begins, declared apart from the log so that
// logic without any Windows dependency (the parsers) can be traced and still build anywhere.

// Writes "(tick, thread = id) >>>> Function: <traceName>" while the debug log is on; the tick
// count and thread id are read only then.
void traceFunction(const char* traceName);
