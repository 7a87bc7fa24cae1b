// The fatal run-time error and the allocation failure that raises it.
//
// This path runs when our own allocation has just failed, so it builds its
// box text in plain std::string and never makes a Text.
#include "text/Fatal.h"

#include <string>

#include "platform/CodePages.h"
#include "platform/MessageBox.h"
#include "platform/Process.h"
#include "text/Allocator.h"

namespace {

std::string Cp936(std::string_view utf8) {
  std::string source(utf8);
  int units = MultiByteToWideChar(CP_UTF8, 0, source.c_str(), -1, nullptr, 0);
  std::basic_string<WCHAR> wide(static_cast<std::size_t>(units > 0 ? units : 1), 0);
  MultiByteToWideChar(CP_UTF8, 0, source.c_str(), -1, wide.data(), units);
  int need = WideCharToMultiByte(936, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(need > 0 ? need : 1), '\0');
  WideCharToMultiByte(936, 0, wide.c_str(), -1, bytes.data(), need, nullptr, nullptr);
  bytes.resize(bytes.find('\0'));
  return bytes;
}

}  // namespace

void RaiseFatalError(int code, std::string_view message) {
  std::string text = Cp936("运行时出错!\r\n\r\n");
  if (code != 0) text += Cp936("错误代码：") + std::to_string(code) + "\r\n\r\n";
  if (!message.empty()) text += Cp936("错误信息：") + std::string(message) + "\r\n";
  MessageBoxA(nullptr, text.c_str(), Cp936("错误").c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
  ExitProcess(static_cast<UINT>(-1));
}

void RaiseOutOfMemory(std::size_t bytesAsked) {
  // The count goes in whole: a request past 2 GiB must not print as negative.
  std::string message = Cp936("分配 %d 字节内存失败!");
  message.replace(message.find("%d"), 2, std::to_string(bytesAsked));
  RaiseFatalError(0, message);
}
