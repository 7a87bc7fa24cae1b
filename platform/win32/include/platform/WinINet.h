// WinINet: the platform's own internet library (wininet.dll).
#pragma once

#include <windows.h>
#include <wininet.h>
