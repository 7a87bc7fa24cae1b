// File helpers for the tests that work on real files: a fresh folder of the
// test's own, and whole files read and written as bytes.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>

// A new empty folder <temporary folder>/<prefix>-<random digits>; empty when
// none could be made. The caller removes it (std::filesystem::remove_all)
// when done. Made with the standard library, so that it serves the Windows
// build's tests as well.
inline std::filesystem::path MakeTempFolder(std::string_view prefix) {
  std::error_code error;
  std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) return {};
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::filesystem::path folder = base / (std::string(prefix) + "-" + std::to_string(random()));
    if (std::filesystem::create_directory(folder, error)) return folder;
  }
  return {};
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
