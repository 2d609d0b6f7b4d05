#pragma once
// Start-up of the process and the hooks that end it in an orderly way.

#include <cstdint>

// The switches among the arguments after the program's name: each matched exactly (whole and
// case-sensitive), in any position and order; every other argument is ignored.
struct Switches {
    bool debugLog = false;    // "/debuglog": the debug log
    bool utf8 = false;        // "/utf8": record fields in UTF-8
    bool times = false;       // "/time": each record carries the time of its change
    bool stdinStops = false;  // "/stdin": the end of standard input stops Lookout
};
Switches parseSwitches(int argc, char** argv);

// Start-up before the monitor loop: COM on this thread, the debug log when an argument is
// exactly "/debuglog", UTF-8 records when one is exactly "/utf8", records with the time of their
// change with "/time", binary standard streams, the termination and invalid-parameter hooks, and
// with "/stdin" the stop at the end of standard input.
void startUp(int argc, char** argv);

// Installed for SIGABRT, SIGTERM and SIGINT, and called at the end of standard input with
// "/stdin": logs "Lookout Terminated", ends the log and standard output, and exits with code 1.
// Runs once; a later caller waits for the first to end the process. Never returns.
void TerminationSignalHandler(int signal);

// The run-time's invalid-parameter handler: logs what it was given and aborts, which ends the
// process through TerminationSignalHandler. Never returns.
void InvalidParameterHandler(const wchar_t* expression, const wchar_t* function,
                             const wchar_t* file, unsigned int line, std::uintptr_t reserved);
