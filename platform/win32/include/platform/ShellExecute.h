// ShellExecuteA: shell32's own (<shellapi.h>, which the lean <windows.h>
// leaves out).
#pragma once

#include <windows.h>

#include <shellapi.h>
