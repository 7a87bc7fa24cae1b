// MessageBoxA for console programs: the caption and the text go to standard
// error as UTF-8, one after the other, and the answer is IDOK at once, as the
// POSIX side does where no window toolkit runs. A box would wait for a click
// that no script gives, so the fatal error of a command-line program would
// hang instead of ending with its status.
//
// Calls to MessageBoxA go through its import pointer (__imp_MessageBoxA, the
// name the platform's headers make every call use). This file defines that
// pointer, so the linker takes it instead of user32's; the program keeps
// calling MessageBoxA by its own name, and a window program, which does not
// link this file, gets user32's box. The symbol's spelling depends on the
// architecture's calling convention; the build passes it in.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "platform/CodePages.h"
#include "platform/MessageBox.h"

namespace {

// Code page 936 to UTF-8 in plain std strings: this runs on the fatal path,
// where our own allocation may just have failed.
std::string ToUtf8(LPCSTR text) {
  if (text == nullptr) return {};
  int units = MultiByteToWideChar(936, 0, text, -1, nullptr, 0);
  if (units <= 0) return {};
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(936, 0, text, -1, wide.data(), units);
  int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
  utf8.resize(static_cast<size_t>(bytes) - 1);
  return utf8;
}

int WINAPI ConsoleMessageBoxA(HWND /*owner*/, LPCSTR text, LPCSTR caption, UINT /*type*/) {
  std::fflush(stderr);
  _setmode(_fileno(stderr), _O_BINARY);  // the text's own CR LF, not CR CR LF
  std::fprintf(stderr, "%s\n%s\n", ToUtf8(caption).c_str(), ToUtf8(text).c_str());
  std::fflush(stderr);
  return IDOK;
}

}  // namespace

extern "C" {
extern decltype(&ConsoleMessageBoxA) consoleMessageBoxImport __asm__(LINKPEEL_IMP_MESSAGEBOXA);
decltype(&ConsoleMessageBoxA) consoleMessageBoxImport = ConsoleMessageBoxA;
}
