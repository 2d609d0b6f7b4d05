#pragma once
// LookoutTree.exe: captures the accessibility tree of the window in front into a tree file and
// tells what Lookout makes of that window.
//
//   LookoutTree.exe [/delay SECONDS] [/out FILE] [/redact] [/documents]

// The whole program; returns its exit code: 0 when the file was written, 1 for wrong
// arguments, 2 when nothing could be captured or written.
int runLookoutTree();
