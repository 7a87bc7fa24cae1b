// The terminal on POSIX systems: argv and the standard streams are bytes
// already, UTF-8 under the locales we run in.
#include "platform/Terminal.h"

std::vector<std::string> TerminalArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void OpenTerminal() {}
