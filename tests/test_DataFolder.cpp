// The data folder on POSIX systems: $XDG_DATA_HOME/linkpeel, in code page 936.
#include "platform/DataFolder.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

namespace {

TEST(DataFolder, FollowsTheXdgDataHome) {
  struct Case {
    const char* xdgDataHome;  // null: unset
    const char* home;
    std::string expected;
  } cases[] = {
      {"/data", "/home/ann", "/data/linkpeel"},
      {"relative/data", "/home/ann", "/home/ann/.local/share/linkpeel"},  // only an absolute one counts
      {nullptr, "/home/ann", "/home/ann/.local/share/linkpeel"},
      {"/home/\xE5\xBC\xA0\xE4\xB8\x89", "/", "/home/\xD5\xC5\xC8\xFD/linkpeel"},  // 张三, in 936
      {"/home/\xE0\xB8\x81", "/", ""},                                         // Thai: not in 936
      {nullptr, nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    c.xdgDataHome ? setenv("XDG_DATA_HOME", c.xdgDataHome, 1) : unsetenv("XDG_DATA_HOME");
    c.home ? setenv("HOME", c.home, 1) : unsetenv("HOME");
    EXPECT_EQ(DataFolder(), c.expected);
  }
}

}  // namespace
