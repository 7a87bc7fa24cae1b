// The console over the standard file descriptors and isatty(). The standard
// handles live in the file handle table (Files.cpp), like every other.
#include "platform/Console.h"

#include <unistd.h>

#include "platform/FileHandles.h"
#include "platform/Files.h"

HANDLE GetStdHandle(DWORD stdHandle) {
  switch (stdHandle) {
    case STD_INPUT_HANDLE: return StandardHandle(STDIN_FILENO);
    case STD_OUTPUT_HANDLE: return StandardHandle(STDOUT_FILENO);
    case STD_ERROR_HANDLE: return StandardHandle(STDERR_FILENO);
    default: return INVALID_HANDLE_VALUE;
  }
}

BOOL GetConsoleMode(HANDLE console, LPDWORD mode) {
  int fd = DescriptorOf(console);
  if (fd < 0 || isatty(fd) != 1) return FALSE;
  if (mode != nullptr) *mode = 0;
  return TRUE;
}
