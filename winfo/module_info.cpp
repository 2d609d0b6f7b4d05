#include "winfo/module_info.h"

#include <cstdint>
#include <string>
#include <utility>

#include "diag/debug_log.h"
#include "util/record_text.h"
#include "util/unique_handle.h"
#include "winfo/description_cache.h"
#include "winfo/desktop_class.h"
#include "winfo/image_path.h"
#include "winfo/packaged_app.h"
#include "winfo/process_cache.h"
#include "winfo/window_query.h"

namespace {

ProcessCache& knownProcesses() {
    // Never destroyed, like the description cache: the exit must not free it under the monitor.
    static ProcessCache* const cache = new ProcessCache;
    return *cache;
}

// The image of the process: its cache entry when the process is known, otherwise the kernel's
// path, kept for next time. `image` points into the cache, or at `uncached` for a process whose
// creation time cannot be read. 0, or a Windows error code.
DWORD lookUpProcess(DWORD processId, ProcessImage& uncached, ProcessImage*& image) {
    lookout::unique_kernel_handle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) {
        DWORD error = GetLastError();
        logMessage("GetModuleInfo: OpenProcess failed");
        return error;
    }
    std::uint64_t created = 0;
    const bool timed = processCreationTime(process.get(), created);
    const ProcessCache::Key key{processId, created};
    if (timed && (image = knownProcesses().find(key)) != nullptr) {
        logMessage("GetModuleInfo: known process");
        return ERROR_SUCCESS;
    }
    logMessage("GetModuleInfo: before QueryFullProcessImageName");
    ProcessImage found;
    if (DWORD error = queryImagePath(process.get(), found.imagePath)) {
        logMessage("GetModuleInfo: QueryFullProcessImageName failed");
        return error;
    }
    logMessage("GetModuleInfo: QueryFullProcessImageName succeeded");
    if (timed) {
        image = &knownProcesses().remember(key, std::move(found));
    } else {
        uncached = std::move(found);
        image = &uncached;
    }
    return ERROR_SUCCESS;
}

// The long path of the image, formed once per process.
const std::wstring& modulePathOf(ProcessImage& image) {
    if (!image.modulePath) {
        std::wstring longPath = longPathOf(image.imagePath);
        if (longPath.empty()) {
            logMessage("GetModuleInfo: path cannot converted to LongPathName (ret = %d) : %s", 0,
                       ansiText(image.imagePath).c_str());
            longPath = image.imagePath;
        }
        image.modulePath = std::move(longPath);
    }
    return *image.modulePath;
}

const std::string& descriptionOf(ProcessImage& image) {
    if (!image.description) image.description = describeExecutable(modulePathOf(image));
    return *image.description;
}

// For the frame of a packaged app, the app's own process; otherwise, or when the app's process
// cannot be examined, the window's.
ProcessImage* reportedImage(HWND window, DWORD processId, ProcessImage* image,
                            ProcessImage& appUncached) {
    DWORD appProcessId = packagedAppProcessId(window, processId);
    if (appProcessId == 0) return image;
    logMessage("GetModuleInfo: application frame of process %lu",
               static_cast<unsigned long>(appProcessId));
    // `image` was just used, so looking up the app's process cannot push it out of the cache.
    ProcessImage* appImage = nullptr;
    if (lookUpProcess(appProcessId, appUncached, appImage) != ERROR_SUCCESS) return image;
    return appImage;
}

}  // namespace

DWORD GetModuleInfo(DWORD processId, HWND window, AppRecord& app, bool* applicationFrame) {
    traceFunction("GetModuleInfo");
    ProcessImage uncached;
    ProcessImage* image = nullptr;
    if (DWORD error = lookUpProcess(processId, uncached, image)) return error;

    AppRecord found;
    bool frame = false;
    std::string className = GetWindowClassName(window);
    if (IsDesktopClass(className)) {
        logMessage("GetModuleInfo: Desktop window found (%s)",
                   ansiText(image->imagePath).c_str());
        found.modulePath = "Desktop";
        found.description = "Desktop";
    } else {
        ProcessImage appUncached;
        frame = isApplicationFrame(className, image->imagePath);
        if (frame) image = reportedImage(window, processId, image, appUncached);
        logMessage("GetModuleInfo: FileName %s", ansiText(image->imagePath).c_str());
        found.modulePath = recordPathText(modulePathOf(*image));
        found.description = descriptionOf(*image);
    }
    found.title = GetWindowTitle(window);
    // A window that vanished while it was identified (one that ends as it comes to the front)
    // has no title to read any more. It is not reported: the next poll reports what replaced it.
    if (found.title.empty() && !IsWindow(window)) {
        logMessage("GetModuleInfo: the window is gone");
        return ERROR_INVALID_WINDOW_HANDLE;
    }
    app = std::move(found);
    if (applicationFrame) *applicationFrame = frame;
    return ERROR_SUCCESS;
}
