// The console, as kernel32 offers it: the standard handles, and whether one
// of them is a console (a terminal) rather than a file or a pipe. The handles
// are file handles like any other (Files.h): WriteFile writes to them. Where
// CloseHandle on one closes it on Windows, here the descriptor stays open for
// the C library's streams, and the next GetStdHandle gives a new handle.
#pragma once

#include "platform/WinTypes.h"

inline constexpr DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
inline constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
inline constexpr DWORD STD_ERROR_HANDLE = static_cast<DWORD>(-12);

HANDLE GetStdHandle(DWORD stdHandle);

// TRUE, with the mode in *mode, only when the handle is a console; a file or
// a pipe gives FALSE. The mode's bits are not modelled: it is 0.
BOOL GetConsoleMode(HANDLE console, LPDWORD mode);
