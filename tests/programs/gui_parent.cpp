// A GUI program (no console of its own) that runs Lookout as the README tells a GUI parent to:
//   gui_parent.exe <path of Lookout.exe> <number of records>
// Lookout is started with "/stdin /time" and CREATE_NO_WINDOW, its standard output on a pipe and
// its standard input on a pipe of which this program keeps only the write end, not inheritable.
// After that many whole records it closes the write end, reads to end of file, and writes to its
// own standard output every byte it read, then "exit <Lookout's exit code>" and a line feed.
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

constexpr std::size_t kItemsPerRecord = 6;  // kind, three fields, time, line feed

std::size_t wholeRecords(const std::string& stream) {
    std::size_t items = 0;
    for (char c : stream) items += c == '$';
    return items / kItemsPerRecord;
}

// Reads once; false at end of file.
bool readMore(HANDLE pipe, std::string& stream) {
    char buffer[4096];
    DWORD read = 0;
    if (!ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) || read == 0) return false;
    stream.append(buffer, read);
    return true;
}

int run(const std::string& lookoutExe, std::size_t records) {
    // No security attributes: none of these handles is inheritable yet.
    HANDLE outputRead = nullptr, outputWrite = nullptr, inputRead = nullptr, inputWrite = nullptr;
    if (!CreatePipe(&outputRead, &outputWrite, nullptr, 0) ||
        !CreatePipe(&inputRead, &inputWrite, nullptr, 0))
        return 2;
    HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    // Lookout's ends are inheritable only while it is created; this program starts nothing else.
    for (HANDLE h : {outputWrite, inputRead, nul})
        SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inputRead;
    startup.hStdOutput = outputWrite;
    startup.hStdError = nul;
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + lookoutExe + "\" /stdin /time";
    const BOOL started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    // Lookout's ends are Lookout's now: copies kept here would hold off end of file and the stop.
    for (HANDLE h : {outputWrite, inputRead, nul}) CloseHandle(h);
    if (!started) return 3;
    CloseHandle(process.hThread);

    std::string stream;
    while (wholeRecords(stream) < records && readMore(outputRead, stream)) {
    }
    CloseHandle(inputWrite);  // the stop
    while (readMore(outputRead, stream)) {
    }
    CloseHandle(outputRead);
    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);

    stream += "exit " + std::to_string(exitCode) + "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), stream.data(), static_cast<DWORD>(stream.size()),
              &written, nullptr);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc != 3) return 1;
    return run(__argv[1], std::strtoul(__argv[2], nullptr, 10));
}
