// Binding library functions by name: kernel32's own LoadLibraryA and
// GetProcAddress. A full path loads that file alone; a bare name goes through
// the system's search order, so the program names its libraries by path.
#pragma once

#include <windows.h>
