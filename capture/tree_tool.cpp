#include "capture/tree_tool.h"

#include <windows.h>
#include <oleacc.h>
#include <shellapi.h>

#include <cstdio>
#include <ctime>
#include <cwchar>
#include <exception>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "browser/msaa_window_object.h"
#include "browser/walk_bounds.h"
#include "capture/counted_accessible.h"
#include "capture/redact.h"
#include "capture/tree_capture.h"
#include "capture/tree_explain.h"
#include "util/record_text.h"
#include "util/record_types.h"
#include "util/unique_handle.h"
#include "winfo/module_info.h"

#ifndef LOOKOUT_VERSION
#define LOOKOUT_VERSION "0"
#endif

using lookout::com_ptr;
using nlohmann::ordered_json;

namespace {

constexpr char kUsage[] =
    "LookoutTree.exe [/delay SECONDS] [/out FILE] [/redact] [/documents]\n"
    "Waits SECONDS (default 5) so that you can bring the browser to the front, captures the\n"
    "accessibility tree of the window in front into FILE (default: the executable's name and\n"
    "the time, in the current folder) and tells what Lookout makes of that window.\n"
    "  /redact     every letter of names, values and the title becomes x, every digit 0\n"
    "  /documents  enters the page (documents), which Lookout never does\n";

struct Options {
    DWORD delayMs = 5000;
    std::wstring out;
    bool redact = false;
    bool documents = false;
};

bool parse(Options& options) {
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    const lookout::unique_hlocal owner(reinterpret_cast<HLOCAL>(argv));
    for (int i = 1; argv && i < count; ++i) {
        const std::wstring arg = argv[i];
        const bool last = i + 1 >= count;
        if (arg == L"/delay" && !last) {
            wchar_t* end = nullptr;
            const double seconds = std::wcstod(argv[++i], &end);
            if (*end || seconds < 0 || seconds > 3600) return false;
            options.delayMs = static_cast<DWORD>(seconds * 1000);
        } else if (arg == L"/out" && !last) {
            options.out = argv[++i];
        } else if (arg == L"/redact") {
            options.redact = true;
        } else if (arg == L"/documents") {
            options.documents = true;
        } else {
            return false;
        }
    }
    return true;
}

void print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string timeText(const char* format) {
    std::time_t now = std::time(nullptr);
    std::tm parts = {};
    if (format[0] == '%' && format[1] == 'Y' && format[2] == '-')
        gmtime_s(&parts, &now);
    else
        localtime_s(&parts, &now);
    char text[64] = {};
    std::strftime(text, sizeof text, format, &parts);
    return text;
}

std::wstring wideFromUtf8(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(
        CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0],
        static_cast<int>(wide.size()))));
    return wide;
}

// Everything that calls into the browser, on a thread of its own: a browser that stops
// answering in the middle must not hold the tool for ever.
struct Work {
    lookout::unique_kernel_handle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    HWND window = nullptr;
    std::string modulePath;
    Options options;
    Capture capture;
    std::string failure;
    std::vector<std::string> explanation;
};

void captureAndExplain(Work& work) {
    CoInitialize(nullptr);
    com_ptr<IAccessible> client;
    const HRESULT result =
        getWindowAccessible(work.window, kWindowObjectTimeoutMs, client, OBJID_CLIENT);
    if (FAILED(result)) {
        work.failure = result == HRESULT_FROM_WIN32(ERROR_TIMEOUT)
                           ? "the window did not hand out its accessible object within " +
                                 std::to_string(kWindowObjectTimeoutMs) + " ms"
                           : "the window has no accessible object";
    } else {
        unsigned long calls = 0;
        com_ptr<IAccessible> counted = countedAccessible(client, &calls);
        CaptureOptions options;
        options.documents = work.options.documents;
        options.redact = work.options.redact;
        work.capture = captureTree(counted.get(), calls, options);
    }
    work.explanation =
        explainWindow(work.window, work.modulePath, work.capture.root, work.options.redact);
}

bool writeFile(const std::wstring& path, const std::string& bytes) {
    lookout::unique_hfile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}

}  // namespace

int runLookoutTree() {
    // Texts as the tree file carries them: UTF-8, on the console too.
    setRecordEncoding(RecordEncoding::kUtf8);
    SetConsoleOutputCP(CP_UTF8);
    Options options;
    if (!parse(options)) {
        std::fputs(kUsage, stdout);
        return 1;
    }
    char delay[32];
    std::snprintf(delay, sizeof delay, "%g", options.delayMs / 1000.0);
    print(std::string("Bring the window to the front: capturing in ") + delay + " s.");
    Sleep(options.delayMs);

    auto work = std::make_shared<Work>();
    work->options = options;
    work->window = GetForegroundWindow();
    if (!work->window) {
        print("No window is in front: nothing captured.");
        return 2;
    }
    wchar_t className[256] = {};
    GetClassNameW(work->window, className, 256);
    std::wstring title(GetWindowTextLengthW(work->window) + 1, L'\0');
    title.resize(static_cast<std::size_t>(
        GetWindowTextW(work->window, &title[0], static_cast<int>(title.size()))));
    DWORD processId = 0;
    GetWindowThreadProcessId(work->window, &processId);
    AppRecord app;
    if (GetModuleInfo(processId, work->window, app) == 0) work->modulePath = app.modulePath;
    const std::string executable =
        work->modulePath.substr(work->modulePath.find_last_of('\\') + 1);

    // The walk's own bounds end it; this is for a browser that stops answering a call.
    std::thread([work] {
        try {
            captureAndExplain(*work);
        } catch (const std::exception& error) {
            work->failure = std::string("the capture failed: ") + error.what();
        }
        SetEvent(work->done.get());
    }).detach();
    const DWORD deadline = 2 * (kWindowObjectTimeoutMs + WalkBounds::kMaxMs) + 2000;
    if (WaitForSingleObject(work->done.get(), deadline) != WAIT_OBJECT_0) {
        print("The window stopped answering in the middle of the capture: nothing written.");
        std::fflush(stdout);
        ExitProcess(2);  // the capture's thread is still inside a call into the browser
    }

    const std::wstring shownTitle = options.redact ? redactText(title) : title;
    ordered_json file;
    file["format"] = 1;
    file["captured"] = {{"at", timeText("%Y-%m-%dT%H:%M:%SZ")},
                        {"by", std::string("LookoutTree ") + LOOKOUT_VERSION},
                        {"documents", options.documents},
                        {"redacted", options.redact}};
    if (!work->capture.bound.empty()) file["captured"]["bound"] = work->capture.bound;
    file["window"] = {{"class", fileText(className)},
                      {"title", fileText(shownTitle)},
                      {"executable", executable},
                      {"path", work->modulePath}};
    if (!work->failure.empty()) {
        print("Window: class " + fileText(className) + ", executable " + work->modulePath);
        print("No tree: " + work->failure + ".");
    } else {
        file["root"] = work->capture.root;
        std::wstring out = options.out;
        if (out.empty()) {
            const std::string stem = executable.substr(0, executable.rfind('.'));
            out = wideFromUtf8((stem.empty() ? "window" : stem) + "-" +
                               timeText("%Y%m%d-%H%M%S") + ".json");
        }
        if (!writeFile(out, file.dump(1, ' ', false, ordered_json::error_handler_t::replace) +
                                "\n")) {
            print("Cannot write " + fileText(out) + " (error " + std::to_string(GetLastError()) +
                  ").");
            return 2;
        }
        print("Window: class " + fileText(className) + ", title \"" + fileText(shownTitle) +
              "\", executable " + work->modulePath);
        print("Captured " + std::to_string(work->capture.objects) + " objects with " +
              std::to_string(work->capture.calls) + " calls into " + fileText(out));
        if (!work->capture.bound.empty())
            print("The capture stopped at its bound of " + work->capture.bound +
                  ", as Lookout's walks do: the file holds the tree up to there.");
        if (options.documents)
            print("Documents were entered (/documents): in a Chromium-based browser this turns on"
                  " the page's accessibility for the rest of the browser's session.");
        else if (work->capture.documentsSkipped > 0)
            print(std::to_string(work->capture.documentsSkipped) +
                  " document(s) (pages) not entered; /documents enters them.");
    }
    for (const std::string& line : work->explanation) print(line);
    return work->failure.empty() ? 0 : 2;
}
