// open_recorder: the test's stand-in for the user's browser. Registered as the
// http protocol's open command in the test's Wine prefix, it appends the
// command line's arguments (UTF-8, one a line) to opened.txt beside itself,
// and ends. Nothing is fetched.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

int main() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring log(path, length);
  log = log.substr(0, log.find_last_of(L'\\') + 1) + L"opened.txt";
  FILE* out = _wfopen(log.c_str(), L"ab");
  if (out == nullptr) return 1;
  for (int i = 1; i < count; ++i) {
    char bytes[4096];
    int n = WideCharToMultiByte(CP_UTF8, 0, args[i], -1, bytes, sizeof(bytes), nullptr, nullptr);
    std::fprintf(out, "%s\n", n > 0 ? bytes : "");
  }
  std::fclose(out);
  return 0;
}
