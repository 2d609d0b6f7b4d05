#include "java/java_command.h"

// The Java command is not looked up yet: the record keeps the executable's path.
void lookupJavaCommand(DWORD, AppRecord&) {}
