// The calling thread's last-error value, kept as kernel32 keeps it: a
// failing platform call stores why it failed, and the value stays until the
// next failure on that thread or until SetLastError. Calls that succeed leave
// it alone, so it answers only right after a call that reported failure.
// Each thread starts with ERROR_SUCCESS.
//
// The codes a failing WinINet call stores are listed in platform/WinINet.h.
#pragma once

#include "platform/WinTypes.h"

DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

inline constexpr DWORD ERROR_SUCCESS = 0;
inline constexpr DWORD ERROR_INVALID_HANDLE = 6;
inline constexpr DWORD ERROR_INVALID_PARAMETER = 87;
inline constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
