// The file-writing stand-ins (drive paths, CreateFileA's sharing rule) and
// WriteBytesToFile over them.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "text/Text.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void PutFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A home folder of our own, so that drive C lives in a fresh place.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/linkpeel-files-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    home_ = pattern;
    setenv("HOME", home_.c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    driveC_ = home_ / ".local/share/linkpeel/drive_c";
  }
  void TearDown() override { fs::remove_all(home_); }

  fs::path home_;
  fs::path driveC_;
};

TEST_F(FilesTest, DrivePathsMapOntoTheUsersDriveFolder) {
  std::string c = driveC_.string();
  struct Row {
    const char* windowsPath;
    std::string hostPath;
  } rows[] = {
      {"C:\\Windows\\jedata.dll", c + "/windows/jedata.dll"},
      {"c:/WINDOWS//Win8.SHE", c + "/windows/win8.she"},
      {"C:\\Windows\\..\\..\\..\\etc\\passwd", c + "/etc/passwd"},
      {"C:\\a\\.\\b\\", c + "/a/b"},
      {"D:\\Data", home_.string() + "/.local/share/linkpeel/drive_d/data"},
      {"C:\\\xD6\xD0\\A", c + "/\xE4\xB8\xAD/a"},     // a GBK name becomes UTF-8
      {"C:\\Windows\\\x95\x5C.txt", c + "/windows/\xE6\x98\x9E.txt"},  // 5C as a trail byte is no separator
      {"C:relative", ""},
      {"X:", ""},
      {"", ""},
      {"/tmp/a\\b", "/tmp/a\\b"},
      {"plain.dll", "plain.dll"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.windowsPath);
    EXPECT_EQ(HostPathOf(row.windowsPath), row.hostPath);
  }
  EXPECT_EQ(HostPathOf(nullptr), "");
}

TEST_F(FilesTest, XdgDataHomeWinsWhenAbsolute) {
  setenv("XDG_DATA_HOME", (home_ / "data").c_str(), 1);
  EXPECT_EQ(HostPathOf("C:\\x"), (home_ / "data/linkpeel/drive_c/x").string());
  setenv("XDG_DATA_HOME", "relative/data", 1);
  EXPECT_EQ(HostPathOf("C:\\x"), (driveC_ / "x").string());
}

// The Windows directory is the platform's and is always there; no other
// folder appears by mapping or writing.
TEST_F(FilesTest, OnlyTheWindowsDirectoryComesIntoBeing) {
  HostPathOf("C:\\Program Files\\x");
  EXPECT_FALSE(fs::exists(driveC_));
  HostPathOf("C:\\Windows\\win8.she");
  EXPECT_TRUE(fs::is_directory(driveC_ / "windows"));

  EXPECT_FALSE(WriteBytesToFile("C:\\Windows\\skins\\win8.she", Bytes(std::string_view("x"))));
  EXPECT_FALSE(fs::exists(driveC_ / "windows/skins"));
  EXPECT_FALSE(WriteBytesToFile((home_ / "no/such/folder").c_str(), Bytes(std::string_view("x"))));
  EXPECT_FALSE(fs::exists(home_ / "no"));
}

TEST_F(FilesTest, WritesThePartsInOrderByteForByte) {
  const Bytes empty;
  const Bytes withZeros(std::string_view("a\0b", 3));
  const Bytes tail(std::string_view("tail"));
  struct Row {
    const char* name;
    std::initializer_list<const Bytes*> parts;
    std::string expected;
  } rows[] = {
      {"none", {}, ""},
      {"one empty", {&empty}, ""},
      {"zero bytes kept", {&withZeros}, std::string("a\0b", 3)},
      {"empties skipped", {&empty, &withZeros, &empty, &tail}, std::string("a\0btail", 7)},
      {"absent part", {nullptr, &tail}, "tail"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::path file = home_ / row.name;
    EXPECT_TRUE(WriteBytesToFile(file.c_str(), row.parts));
    EXPECT_EQ(ReadFile(file), row.expected);
  }
}

TEST_F(FilesTest, ALongerOldFileIsReplacedWhole) {
  fs::create_directories(driveC_ / "windows");
  PutFile(driveC_ / "windows/jedata.dll", std::string(100000, 'o'));
  EXPECT_TRUE(WriteBytesToFile("C:\\WINDOWS\\Jedata.DLL", Bytes(std::string_view("MZ")), Bytes(std::string_view("new"))));
  EXPECT_EQ(ReadFile(driveC_ / "windows/jedata.dll"), "MZnew");
}

TEST_F(FilesTest, WhatCannotBeOpenedAnswersFalse) {
  fs::create_directories(home_ / "folder");
  ASSERT_EQ(mkfifo((home_ / "fifo").c_str(), 0600), 0);
  PutFile(home_ / "drive", "a file where a folder would be");
  setenv("XDG_DATA_HOME", (home_ / "drive").c_str(), 1);  // drive C under a file: nothing can be written there
  struct Row {
    const char* name;
    std::string path;
  } rows[] = {
      {"empty path", ""},
      {"a folder", (home_ / "folder").string()},
      {"a FIFO with no reader (must not hang)", (home_ / "fifo").string()},
      {"drive C under a file", "C:\\Windows\\jedata.dll"},
      {"drive-relative", "C:jedata.dll"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_FALSE(WriteBytesToFile(Text(row.path), Bytes(std::string_view("x"))));
  }
}

// Share mode 0: while one handle is open no second one can be had, and the
// second attempt leaves the first writer's bytes alone.
TEST_F(FilesTest, ShareModeZeroKeepsOthersOut) {
  std::string path = (home_ / "f").string();
  HANDLE first = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(first, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(first, "abc", 3, &written, nullptr));
  EXPECT_EQ(written, 3u);

  EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_FALSE(WriteBytesToFile(Text(path), Bytes(std::string_view("zz"))));
  EXPECT_TRUE(CloseHandle(first));
  EXPECT_EQ(ReadFile(path), "abc");

  EXPECT_TRUE(WriteBytesToFile(Text(path), Bytes(std::string_view("zz"))));
  EXPECT_EQ(ReadFile(path), "zz");
}

TEST_F(FilesTest, BadHandlesAndRequestsFail) {
  EXPECT_FALSE(WriteFile(INVALID_HANDLE_VALUE, "a", 1, nullptr, nullptr));
  EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
  EXPECT_FALSE(CloseHandle(nullptr));
  std::string path = (home_ / "f").string();
  EXPECT_EQ(CreateFileA(path.c_str(), 0, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, 3 /* OPEN_EXISTING */, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_FALSE(fs::exists(path));
}

}  // namespace
