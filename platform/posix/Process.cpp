#include "platform/Process.h"

#include <cstdio>
#include <unistd.h>

void ExitProcess(UINT exitCode) {
  std::fflush(nullptr);
  _exit(static_cast<int>(exitCode & 0xFF));
}
