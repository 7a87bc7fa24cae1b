// Files that outlive one run (CreateFileW, MoveFileExW, ...): kernel32's own.
#pragma once

#include <windows.h>
