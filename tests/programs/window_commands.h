#pragma once
// The command loop shared by the window programs that tests and benchmarks drive: one command a
// line on standard input, one answer a line on standard output. The window thread runs the
// commands; a reader thread hands them over with PostThreadMessage, so the windows keep pumping.
//   create <class> <hex title>  -> "hwnd <n>"   a hidden top-level window of that class
//   show <hwnd>                 -> "ok"         show it and bring it to the foreground
//   hide <hwnd>                 -> "ok"         title <hwnd> <hex title> -> "ok"
//   destroy <hwnd>              -> "ok"         hang <ms> -> "ok", then stop pumping for <ms>
//   quit                        -> "bye"        (the end of standard input counts as quit)
// Texts travel as hex so that any byte, "$" and blanks included, gets through. With `unicode`,
// "create" makes Unicode windows whose titles, taken as UTF-8, are set with SetWindowTextW. The
// program prints "ready <pid>" first.

#include <windows.h>

#include <functional>
#include <sstream>
#include <string>

namespace window_commands {

std::string fromHex(const std::string& hex);
void reply(const std::string& line);
HWND windowArg(std::istringstream& in);
// Registers a class of this process once; later calls for the same name do nothing.
void registerClass(const std::string& className, WNDPROC windowProc);
// A window of a Unicode class (the system's of that name, else one with DefWindowProcW), its
// text set with SetWindowTextW from UTF-8 given as hex.
HWND createUnicodeWindow(const std::string& className, const std::string& hexText, DWORD style,
                         HWND parent);

struct Options {
    // The window procedure of the classes that "create" registers.
    WNDPROC windowProc = DefWindowProcA;
    // The program's own commands: true when it handled the verb (and replied).
    std::function<bool(const std::string& verb, std::istringstream& in)> extra;
    // Set by the reader thread as soon as "quit" is read or the input ends, so that a window
    // thread that stalls on purpose can be released.
    HANDLE quitting = nullptr;
    bool unicode = false;
};

// Runs the loop on this thread until "quit"; returns the exit code.
int run(const Options& options);

}  // namespace window_commands
