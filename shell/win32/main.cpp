// The Windows program's start: COM for the banner's decoder, the main window,
// the message loop until the window is gone; then the process ends with 0. A
// window that cannot be made is the fatal run-time error "载入启动窗口失败"
// (exit code -1). Reads no command-line argument, file or setting.
#include <windows.h>

#include <objbase.h>

#include "shell/win32/MainWindow.h"
#include "text/Fatal.h"
#include "text/Text.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (LoadMainWindow(instance) == nullptr) RaiseFatalError(0, "载入启动窗口失败"_cp936);
  int code = RunMessageLoop();
  CoUninitialize();
  return code;
}
