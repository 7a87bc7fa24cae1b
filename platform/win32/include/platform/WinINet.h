// WinINet: the platform's own internet library (wininet.dll).
#pragma once

#include <windows.h>
#include <wininet.h>

// A documented code that mingw-w64's <wininet.h> leaves out.
#ifndef ERROR_INTERNET_SECURE_FAILURE
#define ERROR_INTERNET_SECURE_FAILURE 12175
#endif
