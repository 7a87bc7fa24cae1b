// GetLastError and SetLastError: kernel32's own.
#pragma once

#include <windows.h>
