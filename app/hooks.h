#pragma once
// Start-up of the process and the hooks that end it in an orderly way.

#include <cstdint>

// Start-up before the monitor loop: COM on this thread, the debug log when an argument is
// exactly "/debuglog", UTF-8 records when one is exactly "/utf8", binary standard streams, the
// termination and invalid-parameter hooks.
void startUp(int argc, char** argv);

// Installed for SIGABRT, SIGTERM and SIGINT: logs "Lookout Terminated", ends the log and standard
// output, and exits with code 1. Never returns.
void TerminationSignalHandler(int signal);

// The run-time's invalid-parameter handler: logs what it was given and aborts, which ends the
// process through TerminationSignalHandler. Never returns.
void InvalidParameterHandler(const wchar_t* expression, const wchar_t* function,
                             const wchar_t* file, unsigned int line, std::uintptr_t reserved);
