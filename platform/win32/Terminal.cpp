// The terminal on Windows: arguments from the UTF-16 command line, standard
// streams in binary mode, and a console that shows UTF-8.
#include "platform/Terminal.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "platform/CodePages.h"  // <windows.h>, which <shellapi.h> needs first
#include <shellapi.h>

namespace {

std::string Utf8Of(LPCWSTR wide) {
  int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), bytes, nullptr, nullptr);
  utf8.resize(static_cast<size_t>(bytes) - 1);
  return utf8;
}

UINT gConsoleOutputPage = 0;
UINT gConsoleInputPage = 0;

void RestoreConsolePages() {
  if (gConsoleOutputPage != 0) SetConsoleOutputCP(gConsoleOutputPage);
  if (gConsoleInputPage != 0) SetConsoleCP(gConsoleInputPage);
}

bool IsConsole(DWORD standardHandle) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(standardHandle), &mode) != 0;
}

}  // namespace

std::vector<std::string> TerminalArguments(int argc, char** argv) {
  // argv holds the command line in the system code page, where any character
  // that it lacks has already become "?"; the UTF-16 command line has them all.
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  if (wide == nullptr) {
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return arguments;
  }
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8Of(wide[i]));
  LocalFree(wide);
  return arguments;
}

void OpenTerminal() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  bool console = false;
  if (IsConsole(STD_OUTPUT_HANDLE) || IsConsole(STD_ERROR_HANDLE)) {
    gConsoleOutputPage = GetConsoleOutputCP();
    SetConsoleOutputCP(CP_UTF8);
    console = true;
  }
  if (IsConsole(STD_INPUT_HANDLE)) {
    gConsoleInputPage = GetConsoleCP();
    SetConsoleCP(CP_UTF8);
    console = true;
  }
  // The console's code pages outlive the program; the user's are put back.
  if (console) std::atexit(RestoreConsolePages);
}
