// A home for the tests of the Linux stand-ins that keeps their drive C
// inside a test's own folder.
#pragma once

#include <stdlib.h>

#include <filesystem>

// Makes `home` the user's home for this process, with no XDG_DATA_HOME, so
// that drive C of the stand-ins is <home>/.local/share/linkpeel/drive_c.
inline void UseAsHome(const std::filesystem::path& home) {
  setenv("HOME", home.c_str(), 1);
  unsetenv("XDG_DATA_HOME");
}
