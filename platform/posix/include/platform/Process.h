// ExitProcess: ends the process at once with the given code, running no
// further code of ours. The code is taken modulo 256, as Linux keeps it, so
// the platform's -1 arrives as 255.
#pragma once

#include "platform/WinTypes.h"

[[noreturn]] void ExitProcess(UINT exitCode);
