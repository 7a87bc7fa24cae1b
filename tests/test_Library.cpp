// LoadLibraryA's fixed search order and the sharing rule of a loaded library.
// Two builds of one tiny library (answers 1 and 2) tell which copy was loaded.
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/Library.h"
#include "tests/StandInHome.h"
#include "tests/TempFiles.h"

namespace fs = std::filesystem;

namespace {

int AnswerOf(HMODULE module) {
  FARPROC function = GetProcAddress(module, "FixtureAnswer");
  return function == nullptr ? -1 : reinterpret_cast<int (*)()>(function)();
}

class LibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = MakeTempFolder("linkpeel-library");
    ASSERT_FALSE(home_.empty());
    UseAsHome(home_);
    windows_ = HostPathOf("C:\\Windows\\");
    ASSERT_TRUE(fs::is_directory(windows_));
    programFolder_ = fs::read_symlink("/proc/self/exe").parent_path();
    // Every test loads names of its own: a loaded library stays loaded.
    name_ = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
            std::to_string(getpid()) + ".dll";
    for (char& c : name_) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  void TearDown() override {
    fs::remove(programFolder_ / name_);
    fs::remove_all(home_);
  }

  fs::path home_, windows_, programFolder_;
  std::string name_;
};

TEST_F(LibraryTest, ThePlainNameIsFoundInTheProgramsFolderFirst) {
  fs::copy_file(LINKPEEL_FIXTURE_ONE, programFolder_ / name_);
  fs::copy_file(LINKPEEL_FIXTURE_TWO, windows_ / name_);
  EXPECT_EQ(AnswerOf(LoadLibraryA(name_.c_str())), 1);
}

TEST_F(LibraryTest, ThenInTheWindowsDirectory) {
  fs::copy_file(LINKPEEL_FIXTURE_TWO, windows_ / name_);
  EXPECT_EQ(AnswerOf(LoadLibraryA(name_.c_str())), 2);
}

TEST_F(LibraryTest, NeverInTheCurrentDirectory) {
  fs::copy_file(LINKPEEL_FIXTURE_ONE, home_ / name_);
  fs::path before = fs::current_path();
  fs::current_path(home_);
  EXPECT_EQ(LoadLibraryA(name_.c_str()), nullptr);
  fs::current_path(before);
}

TEST_F(LibraryTest, NamesWithAFolderLoadThatFileAlone) {
  fs::copy_file(LINKPEEL_FIXTURE_TWO, windows_ / name_);
  EXPECT_EQ(AnswerOf(LoadLibraryA(("C:\\WINDOWS\\" + name_).c_str())), 2);
  EXPECT_EQ(AnswerOf(LoadLibraryA(LINKPEEL_FIXTURE_ONE)), 1);
  EXPECT_EQ(LoadLibraryA(("C:\\Other\\" + name_).c_str()), nullptr);
}

TEST_F(LibraryTest, WhatCannotBeFoundOrLoadedIsNull) {
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(LoadLibraryA(""), nullptr);
  EXPECT_EQ(LoadLibraryA(name_.c_str()), nullptr);
  std::ofstream(windows_ / name_) << "MZ, but not a library";
  EXPECT_EQ(LoadLibraryA(name_.c_str()), nullptr);

  HMODULE module = LoadLibraryA(LINKPEEL_FIXTURE_ONE);
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(GetProcAddress(module, "NoSuchFunction"), nullptr);
  EXPECT_EQ(GetProcAddress(module, nullptr), nullptr);
  EXPECT_EQ(GetProcAddress(nullptr, "FixtureAnswer"), nullptr);
}

// A library cut short (a disk that filled up while an older program wrote
// it) is refused, not mapped: touching its missing pages would kill the
// program with SIGBUS.
TEST_F(LibraryTest, ACutLibraryIsNotLoaded) {
  std::string image = ReadWholeFile(LINKPEEL_FIXTURE_ONE);
  ASSERT_GT(image.size(), 4096u);
  struct Row {
    const char* name;
    std::size_t length;
  } rows[] = {
      {"a page", 4096},
      {"half", image.size() / 2},
      {"all but the last byte", image.size() - 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::ofstream(windows_ / name_, std::ios::binary | std::ios::trunc).write(image.data(), static_cast<std::streamsize>(row.length));
    EXPECT_EQ(LoadLibraryA(name_.c_str()), nullptr);
  }
}

// A loaded library cannot be opened for writing: rewriting it in place would
// pull the code out from under the program that runs it.
TEST_F(LibraryTest, ALoadedLibraryCannotBeWritten) {
  fs::copy_file(LINKPEEL_FIXTURE_TWO, windows_ / name_);
  std::string before = ReadWholeFile(windows_ / name_);
  HMODULE module = LoadLibraryA(name_.c_str());
  ASSERT_NE(module, nullptr);

  std::string windowsPath = "C:\\Windows\\" + name_;
  EXPECT_EQ(CreateFileA(windowsPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_TRUE(ReadWholeFile(windows_ / name_) == before) << "the loaded library was cut";
  EXPECT_EQ(AnswerOf(module), 2);
}

// A copy of the program that is writing the library right now is given the
// moment it needs; the load then sees the whole new file.
TEST_F(LibraryTest, ALibraryBeingWrittenIsWaitedFor) {
  std::string windowsPath = "C:\\Windows\\" + name_;
  HANDLE writer = CreateFileA(windowsPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  std::thread finish([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::string image = ReadWholeFile(LINKPEEL_FIXTURE_ONE);
    WriteFile(writer, image.data(), static_cast<DWORD>(image.size()), nullptr, nullptr);
    CloseHandle(writer);
  });
  HMODULE module = LoadLibraryA(name_.c_str());
  finish.join();
  EXPECT_EQ(AnswerOf(module), 1);
}

}  // namespace
