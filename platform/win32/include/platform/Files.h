// File writing: kernel32's own CreateFileA, WriteFile and CloseHandle.
#pragma once

#include <windows.h>
