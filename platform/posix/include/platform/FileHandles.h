// The file handle table of Files.cpp, as the other stand-ins of this folder
// reach it (inside the platform folder only).
#pragma once

#include "platform/WinTypes.h"

// The handle of a standard descriptor (0, 1 or 2): the same one at every ask
// until it is closed. CloseHandle releases it but leaves the descriptor open
// for the C library's own streams.
HANDLE StandardHandle(int descriptor);

// The descriptor behind a handle that the table holds; -1 for any other value.
int DescriptorOf(HANDLE handle);
