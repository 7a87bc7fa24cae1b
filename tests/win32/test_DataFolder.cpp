// The data folder on Windows: %LOCALAPPDATA%\Linkpeel, in code page 936.
#include "platform/DataFolder.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

TEST(DataFolder, IsLinkpeelUnderTheUsersLocalAppData) {
  struct Case {
    const wchar_t* localAppData;  // null: unset
    std::string expected;
  } cases[] = {
      {L"C:\\Users\\ann\\AppData\\Local", "C:\\Users\\ann\\AppData\\Local\\Linkpeel"},
      {L"D:\\profiles\\ann\\", "D:\\profiles\\ann\\Linkpeel"},
      {L"C:\\Users\\\u5F20\u4E09\\AppData\\Local", "C:\\Users\\\xD5\xC5\xC8\xFD\\AppData\\Local\\Linkpeel"},  // 张三
      {L"C:\\Users\\\u0E01\\AppData\\Local", ""},  // Thai: not in 936, so no name for the folder
      {nullptr, ""},
  };
  wchar_t saved[1024];
  DWORD savedLength = GetEnvironmentVariableW(L"LOCALAPPDATA", saved, 1024);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    SetEnvironmentVariableW(L"LOCALAPPDATA", c.localAppData);
    EXPECT_EQ(DataFolder(), c.expected);
  }
  SetEnvironmentVariableW(L"LOCALAPPDATA", savedLength > 0 ? saved : nullptr);
}

}  // namespace
