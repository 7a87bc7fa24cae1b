// The console's standard handles and GetConsoleMode: kernel32's own.
#pragma once

#include <windows.h>
