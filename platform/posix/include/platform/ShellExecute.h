// ShellExecuteA with the verb "open": hands an address or file to the
// desktop's opener (xdg-open), which picks the user's program for it. The
// opener runs detached, in a session of its own, and the call returns at once
// without waiting for it; it is never left behind as a zombie.
//
//   verb "open" or null, file "http://x/"   => a value above 32 (handed over)
//   file null or ""                          => ERROR_FILE_NOT_FOUND (2)
//   any other verb                           => SE_ERR_NOASSOC (31)
//   the process cannot be started            => 0 (out of resources)
//
// A missing opener is not an error: the call has handed the file over, and
// nothing opens. `parameters`, `directory` and `showCommand` are accepted and
// not used, as no opener of this desktop takes them.
#pragma once

#include "platform/WinTypes.h"

inline constexpr INT SW_SHOWNORMAL = 1;
inline constexpr int ERROR_FILE_NOT_FOUND = 2;
inline constexpr int SE_ERR_NOASSOC = 31;

HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        INT showCommand);
