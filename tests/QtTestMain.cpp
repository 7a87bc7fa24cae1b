// main() for the test programs that need the window toolkit: Qt's offscreen
// platform (no display), one QApplication for every test, and message boxes
// shown through Qt as the program shows them.
#include <QApplication>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/MessageBox.h"
#include "platform/MessageBoxQt.h"

#if defined(LINKPEEL_LSAN_SUPPRESSIONS)
// Qt, fontconfig and the X libraries keep caches for the life of the process;
// the suppressions name those libraries only, never ours.
extern "C" const char* __lsan_default_options() { return "suppressions=" LINKPEEL_LSAN_SUPPRESSIONS; }
#endif

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Every window made here installs the skin into the user's data folder
  // (drive C); the tests get one of their own, removed at the end. Death-test
  // children run this main() again and share their parent's.
  const bool child = std::getenv("LINKPEEL_TEST_DATA_HOME") != nullptr;
  std::filesystem::path dataHome =
      child ? std::getenv("LINKPEEL_TEST_DATA_HOME")
            : std::filesystem::temp_directory_path() / ("linkpeel-test-" + std::to_string(getpid()));
  std::filesystem::create_directories(dataHome);
  setenv("LINKPEEL_TEST_DATA_HOME", dataHome.c_str(), 1);
  setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
  ::testing::InitGoogleTest(&argc, argv);
  // Death tests run in a fresh process of this program, with its own toolkit.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  QApplication application(argc, argv);
  SetMessageBoxPresenter(PresentMessageBoxQt);
  int result = RUN_ALL_TESTS();
  SetMessageBoxPresenter(nullptr);
  std::error_code ignored;
  if (!child) std::filesystem::remove_all(dataHome, ignored);
  return result;
}
