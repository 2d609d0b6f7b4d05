// The fuzz builds have no debug log: the trace line of a traced function writes nothing.
#include "diag/trace.h"

void traceFunction(const char*) {}
