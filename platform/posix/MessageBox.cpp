// MessageBoxA over whatever presenter the window toolkit has installed, or
// standard error when none has (a terminal program, or a fatal error before
// the window is up).
#include "platform/MessageBox.h"

#include <cstdio>
#include <string>

#include "platform/Utf8.h"

namespace {

MessageBoxPresenter gPresenter = nullptr;

}  // namespace

void SetMessageBoxPresenter(MessageBoxPresenter presenter) { gPresenter = presenter; }

int MessageBoxA(HWND /*owner*/, LPCSTR text, LPCSTR caption, UINT type) {
  std::string captionUtf8 = Utf8Of(caption);
  std::string textUtf8 = Utf8Of(text);
  if (gPresenter != nullptr) {
    gPresenter(captionUtf8.c_str(), textUtf8.c_str(), type);
    return IDOK;
  }
  std::fprintf(stderr, "%s\n%s\n", captionUtf8.c_str(), textUtf8.c_str());
  std::fflush(stderr);
  return IDOK;
}
