#pragma once
// What Lookout makes of a window, told by running Lookout's own classification and address
// readers on it: the kind of window, the reader, the address element found (its path of child
// positions, role, keyboard shortcut) and its value, and the accessibility calls that took; or
// why nothing was found.

#include <windows.h>

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

// Lines for the user. `modulePath` is the window's executable as the record carries it;
// `capturedRoot` the capture of the window's client object, in which the element is looked up.
// With `redact`, the element's name and the address are shown as redactText leaves them.
std::vector<std::string> explainWindow(HWND window, const std::string& modulePath,
                                       const nlohmann::ordered_json& capturedRoot, bool redact);
