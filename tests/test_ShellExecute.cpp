#include "platform/ShellExecute.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tests/FakeOpener.h"

namespace {

std::intptr_t Code(HINSTANCE result) { return reinterpret_cast<std::intptr_t>(result); }

// True when this process has no child at all, running or a zombie.
bool HasNoChildren() {
  int status = 0;
  return waitpid(-1, &status, WNOHANG) == -1 && errno == ECHILD;
}

TEST(ShellExecuteA, RefusesWhatItCannotOpen) {
  struct Case {
    const char* verb;
    const char* file;
    std::intptr_t expected;
  } cases[] = {
      {"edit", "http://www.example.com/", SE_ERR_NOASSOC},
      {"print", "http://www.example.com/", SE_ERR_NOASSOC},
      {"open", nullptr, ERROR_FILE_NOT_FOUND},
      {"open", "", ERROR_FILE_NOT_FOUND},
  };
  FakeOpener opener;
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.verb) + " " + (c.file ? c.file : "(null)"));
    EXPECT_EQ(Code(ShellExecuteA(nullptr, c.verb, c.file, nullptr, nullptr, SW_SHOWNORMAL)), c.expected);
  }
  EXPECT_FALSE(FakeOpener::Exists(opener.OpenedPath()));  // nothing was started
}

TEST(ShellExecuteA, HandsTheAddressToTheOpenerAndReturnsAtOnce) {
  FakeOpener opener;
  // A verb of null is the default verb, which is "open".
  for (const char* verb : {"open", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(verb ? verb : "(null)");
    EXPECT_GT(Code(ShellExecuteA(nullptr, verb, "http://www.example.com/a b?c=\"1\"", nullptr, nullptr,
                                 SW_SHOWNORMAL)),
              32);
  }
  // The opener is still waiting for its release: the call did not wait for it.
  EXPECT_FALSE(opener.Finished());
  // It is not our child either, so it can never linger as our zombie.
  EXPECT_TRUE(HasNoChildren());
  EXPECT_EQ(opener.Opened(), "http://www.example.com/a b?c=\"1\"\nhttp://www.example.com/a b?c=\"1\"\n");
}

TEST(ShellExecuteA, AMissingOpenerIsNotAnError) {
  const char* path = std::getenv("PATH");
  std::string oldPath = path != nullptr ? path : "";
  setenv("PATH", "/nonexistent-linkpeel", 1);
  HINSTANCE result = ShellExecuteA(nullptr, "open", "http://www.example.com/", nullptr, nullptr, SW_SHOWNORMAL);
  setenv("PATH", oldPath.c_str(), 1);
  EXPECT_GT(Code(result), 32);
  EXPECT_TRUE(HasNoChildren());
}

}  // namespace
