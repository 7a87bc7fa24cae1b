#include "platform/DataFolder.h"

#include <windows.h>

std::string DataFolder() {
  wchar_t base[MAX_PATH * 4];
  DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH * 4);
  if (length == 0 || length >= MAX_PATH * 4) return {};
  std::wstring folder(base, length);
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
  if (folder.empty()) return {};
  folder += L"\\Linkpeel";

  // Named in code page 936 only when every character has its own bytes there:
  // no default character, no best fit ("ä" must not quietly become "a").
  BOOL usedDefault = FALSE;
  int bytes = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, folder.c_str(), -1, nullptr, 0, nullptr, &usedDefault);
  if (bytes <= 0 || usedDefault) return {};
  std::string text(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, folder.c_str(), -1, text.data(), bytes, nullptr, nullptr);
  text.resize(static_cast<std::size_t>(bytes) - 1);
  return text;
}
