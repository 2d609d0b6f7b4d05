#pragma once
// Names a javaw.exe window after the Java command it runs.

#include <windows.h>

#include "app/records.h"

// May replace app.modulePath with the Java command of the process.
void lookupJavaCommand(DWORD processId, AppRecord& app);
