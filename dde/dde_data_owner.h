#pragma once
// Who frees the copy of a DDE data block that a server keeps (fRelease clear).
//
// A posted WM_DDE_DATA crosses the process boundary as a copy of the server's block, made in the
// receiving process. Windows documents that with fRelease clear the client must not free the
// block: the server frees it once the positive acknowledgement arrives. Wine (8.0) makes the
// same copy but nothing ever frees it: 200 such replies of 100 KB left 20 MB in the receiving
// process, acknowledged or not, and freeing the copy after the acknowledgement kept it flat while
// the server still had its own block. So under Wine the receiver frees its copy of a block from
// another process; on Windows it never frees a block the server keeps.

#include <windows.h>

bool receiverFreesKeptDataCopy(HWND serverWindow);
