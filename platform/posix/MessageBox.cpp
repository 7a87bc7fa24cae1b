// MessageBoxA over whatever presenter the window toolkit has installed, or
// standard error when none has (a terminal program, or a fatal error before
// the window is up).
#include "platform/MessageBox.h"

#include <cstdio>
#include <string>

#include "platform/CodePages.h"

namespace {

MessageBoxPresenter gPresenter = nullptr;

// Code page 936 to UTF-8 through the platform's own conversions. Plain std
// strings on purpose: this runs on the fatal path, where our own allocation
// has just failed.
std::string ToUtf8(LPCSTR text) {
  if (text == nullptr) return {};
  int units = MultiByteToWideChar(936, 0, text, -1, nullptr, 0);
  if (units <= 0) return {};
  std::u16string wide(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(936, 0, text, -1, wide.data(), units);
  int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
  utf8.resize(static_cast<size_t>(bytes) - 1);  // the terminator was converted and counted
  return utf8;
}

}  // namespace

void SetMessageBoxPresenter(MessageBoxPresenter presenter) { gPresenter = presenter; }

int MessageBoxA(HWND /*owner*/, LPCSTR text, LPCSTR caption, UINT type) {
  std::string captionUtf8 = ToUtf8(caption);
  std::string textUtf8 = ToUtf8(text);
  if (gPresenter != nullptr) {
    gPresenter(captionUtf8.c_str(), textUtf8.c_str(), type);
    return IDOK;
  }
  std::fprintf(stderr, "%s\n%s\n", captionUtf8.c_str(), textUtf8.c_str());
  std::fflush(stderr);
  return IDOK;
}
