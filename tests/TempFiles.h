// File helpers for the tests that work on real files: a fresh folder of the
// test's own, a home that keeps the stand-ins' drive C inside it, and whole
// files read and written as bytes.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

// A new empty folder /tmp/<prefix>-XXXXXX; empty when none could be made.
// The caller removes it (std::filesystem::remove_all) when done.
inline std::filesystem::path MakeTempFolder(std::string_view prefix) {
  std::string pattern = "/tmp/" + std::string(prefix) + "-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

// Makes `home` the user's home for this process, with no XDG_DATA_HOME, so
// that drive C of the stand-ins is <home>/.local/share/linkpeel/drive_c.
inline void UseAsHome(const std::filesystem::path& home) {
  setenv("HOME", home.c_str(), 1);
  unsetenv("XDG_DATA_HOME");
}

// The file's bytes; empty when it cannot be read.
inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes `bytes` as the file's whole content.
inline void PutFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
