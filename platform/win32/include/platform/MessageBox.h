// MessageBoxA: user32's own in a window program. A console program links
// ConsoleMessageBox.cpp in its place (the platform CMakeLists says how), so
// that the fatal error goes to standard error instead of waiting for a click
// no script will give.
#pragma once

#include <windows.h>
