// ShellExecuteA over xdg-open, started by a double fork: the middle process
// starts the opener in a new session and ends at once, so our wait for it is
// short and the opener, orphaned, is reaped by init rather than by us.
//
// Between fork and exec only async-signal-safe calls are made (the GUI thread
// shares the process with the toolkit's threads); everything the child needs
// is prepared before the fork.
#include "platform/ShellExecute.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

HINSTANCE Result(std::intptr_t code) { return reinterpret_cast<HINSTANCE>(code); }

constexpr std::intptr_t kHandedOver = 42;

}  // namespace

HINSTANCE ShellExecuteA(HWND /*owner*/, LPCSTR verb, LPCSTR file, LPCSTR /*parameters*/,
                        LPCSTR /*directory*/, INT /*showCommand*/) {
  if (verb != nullptr && std::strcmp(verb, "open") != 0) return Result(SE_ERR_NOASSOC);
  if (file == nullptr || *file == '\0') return Result(ERROR_FILE_NOT_FOUND);

  std::string target(file);
  char opener[] = "xdg-open";
  char* argv[] = {opener, target.data(), nullptr};

  pid_t middle = fork();
  if (middle < 0) return Result(0);
  if (middle == 0) {
    setsid();
    pid_t child = fork();
    if (child == 0) {
      int devNull = open("/dev/null", O_RDONLY);
      if (devNull >= 0) dup2(devNull, STDIN_FILENO);
      execvp(opener, argv);
      _exit(127);  // no opener: nothing to open with, and nobody to tell
    }
    _exit(child < 0 ? 1 : 0);
  }
  int status = 0;
  while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return Result(0);
  return Result(kHandedOver);
}
