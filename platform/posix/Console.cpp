// The console over the standard file descriptors and isatty().
#include "platform/Console.h"

#include <unistd.h>

#include <cstdint>

namespace {

// As in Files.cpp: a handle is its file descriptor plus one.
HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd) + 1); }
int FdOf(HANDLE handle) { return static_cast<int>(reinterpret_cast<std::intptr_t>(handle) - 1); }

}  // namespace

HANDLE GetStdHandle(DWORD stdHandle) {
  switch (stdHandle) {
    case STD_INPUT_HANDLE: return HandleOf(STDIN_FILENO);
    case STD_OUTPUT_HANDLE: return HandleOf(STDOUT_FILENO);
    case STD_ERROR_HANDLE: return HandleOf(STDERR_FILENO);
    default: return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
  }
}

BOOL GetConsoleMode(HANDLE console, LPDWORD mode) {
  int fd = FdOf(console);
  if (fd < 0 || isatty(fd) != 1) return FALSE;
  if (mode != nullptr) *mode = 0;
  return TRUE;
}
