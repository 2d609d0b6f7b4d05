#pragma once
// "/stdin": the parent stops Lookout by closing its end of Lookout's standard input.

// Starts a thread that reads standard input and ignores what it reads; when the input reaches
// its end or fails (the parent closed the pipe's write end, or ended), it calls `stop`, which is
// not expected to return. Without a standard input to read, `stop` runs at once on that thread.
void watchStandardInput(void (*stop)());
