// A file of its own, so that a stand-in for another interface (a test's
// recording WinINet) can take the last-error calls without bringing ours.
#include "platform/LastError.h"

namespace {
thread_local DWORD gLastError = ERROR_SUCCESS;
}  // namespace

DWORD GetLastError() { return gLastError; }

void SetLastError(DWORD dwErrCode) { gLastError = dwErrCode; }
