// The file stand-ins (drive paths, the handle table, the sharing rule, the
// replacing writer) and WriteBytesToFile over them.
#include <fcntl.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "platform/Console.h"
#include "platform/Files.h"
#include "text/Text.h"
#include "tests/StandInHome.h"
#include "tests/TempFiles.h"

namespace fs = std::filesystem;

namespace {

// A host path as the W calls take it (the paths here are ASCII).
std::u16string Wide(const std::string& path) { return std::u16string(path.begin(), path.end()); }

std::set<std::string> NamesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

// A file system of `bytes` at `folder`, in a mount namespace of this process's
// own so that nothing outside sees it. False where mounting is not allowed.
bool MountSmallDisk(const fs::path& folder, std::size_t bytes) {
  fs::create_directories(folder);
  if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
  std::string options = "size=" + std::to_string(bytes);
  return mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

// A home folder of our own, so that drive C lives in a fresh place.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = MakeTempFolder("linkpeel-files");
    ASSERT_FALSE(home_.empty());
    UseAsHome(home_);
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
    EXPECT_EQ(ReadWholeFile(file), row.expected);
  }
}

TEST_F(FilesTest, ALongerOldFileIsReplacedWhole) {
  fs::create_directories(driveC_ / "windows");
  PutFile(driveC_ / "windows/jedata.dll", std::string(100000, 'o'));
  EXPECT_TRUE(WriteBytesToFile("C:\\WINDOWS\\Jedata.DLL", Bytes(std::string_view("MZ")), Bytes(std::string_view("new"))));
  EXPECT_EQ(ReadWholeFile(driveC_ / "windows/jedata.dll"), "MZnew");
}

// The same bytes again keep the file in place (no second sync of an
// unchanged file at every start); other bytes, or a file with a second name,
// are replaced as always, and nothing is left beside them.
TEST_F(FilesTest, TheSameBytesAgainKeepTheFileOtherBytesReplaceIt) {
  fs::path file = home_ / "same.bin";
  const std::string first(200000, 's');
  std::string second = first;
  second[150000] = 't';
  struct Row {
    const char* name;
    std::string bytes;
    bool secondName;
    bool kept;
  } rows[] = {
      {"same bytes", first, false, true},
      {"one byte differs past the first block", second, false, false},
      {"shorter", first.substr(1), false, false},
      {"same bytes but a second name", first, true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove(home_ / "other-name");
    PutFile(file, first);
    if (row.secondName) fs::create_hard_link(file, home_ / "other-name");
    struct stat old{};
    ASSERT_EQ(stat(file.c_str(), &old), 0);
    EXPECT_TRUE(WriteBytesToFile(file.c_str(), Bytes(std::string_view(row.bytes))));
    struct stat now{};
    ASSERT_EQ(stat(file.c_str(), &now), 0);
    EXPECT_EQ(now.st_ino == old.st_ino, row.kept);
    EXPECT_EQ(ReadWholeFile(file), row.bytes);
    if (row.secondName) {
      EXPECT_EQ(ReadWholeFile(home_ / "other-name"), first);
    }
    std::size_t entries = 0;
    for (const auto& entry : fs::directory_iterator(home_)) entries += entry.path().filename().string()[0] == '.';
    EXPECT_EQ(entries, 0u) << "a new file was left beside the target";
  }
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
  EXPECT_EQ(ReadWholeFile(path), "abc");

  EXPECT_TRUE(WriteBytesToFile(Text(path), Bytes(std::string_view("zz"))));
  EXPECT_EQ(ReadWholeFile(path), "zz");
}

// A link at the target is replaced, never written through: the file it
// names keeps its bytes, and a link to nowhere creates nothing there.
TEST_F(FilesTest, ALinkAtTheTargetIsReplacedNotWrittenThrough) {
  fs::create_directories(home_ / "user");
  struct Row {
    const char* name;
    bool hardLink;
    bool dangling;
  } rows[] = {
      {"symbolic link to a file", false, false},
      {"hard link to a file", true, false},
      {"symbolic link to nowhere", false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::path user = home_ / "user" / row.name;
    fs::path target = HostPathOf("C:\\Windows\\win8.she");
    fs::remove(target);
    if (!row.dangling) PutFile(user, "the user's own");
    if (row.hardLink) fs::create_hard_link(user, target);
    else fs::create_symlink(user, target);

    EXPECT_TRUE(WriteBytesToFile("C:\\Windows\\win8.she", Bytes(std::string_view("skin"))));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(target)));
    EXPECT_EQ(fs::hard_link_count(target), 1u);
    EXPECT_EQ(ReadWholeFile(target), "skin");
    if (row.dangling) EXPECT_FALSE(fs::exists(fs::symlink_status(user)));
    else EXPECT_EQ(ReadWholeFile(user), "the user's own");
  }
}

// The disk fills up in the middle of a write: the name keeps what it had
// (a whole old file, or nothing), and no part of the new file is left about.
TEST_F(FilesTest, AWriteThatRunsOutOfSpaceLeavesNoPartBehind) {
  fs::path data = home_ / ".local/share/linkpeel";
  if (!MountSmallDisk(data, 64 * 1024)) GTEST_SKIP() << "cannot mount a small file system here";
  fs::path windows = HostPathOf("C:\\Windows\\");
  const Bytes tooLarge(std::string(256 * 1024, 'n'));
  struct Row {
    const char* name;
    const char* old;  // null: no file there before
  } rows[] = {{"no old file", nullptr}, {"an old file", "old skin"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove(windows / "win8.she");
    if (row.old != nullptr) PutFile(windows / "win8.she", row.old);
    EXPECT_FALSE(WriteBytesToFile("C:\\Windows\\win8.she", tooLarge));
    if (row.old != nullptr) {
      EXPECT_TRUE(ReadWholeFile(windows / "win8.she") == row.old) << "the old file was cut";
      EXPECT_EQ(NamesIn(windows), std::set<std::string>{"win8.she"});
    } else {
      EXPECT_EQ(NamesIn(windows), std::set<std::string>{});
    }
  }
  umount2(data.c_str(), MNT_DETACH);
}

// Another copy reads the file while this one writes it over and over: it
// finds the file absent or whole, one content or the other, never a part.
TEST_F(FilesTest, AReaderNeverSeesAHalfWrittenFile) {
  const Bytes first(std::string(64 * 1024, 'a'));
  const Bytes second(std::string(64 * 1024, 'b'));
  const std::string wholeFirst(256 * 1024, 'a');
  const std::string wholeSecond(256 * 1024, 'b');
  fs::path target = HostPathOf("C:\\Windows\\win8.she");
  std::atomic<bool> writing = true;
  std::thread writer([&] {
    for (int i = 0; i < 100; ++i) {
      const Bytes& part = i % 2 == 0 ? first : second;
      WriteBytesToFile("C:\\Windows\\win8.she", part, part, part, part);
    }
    writing = false;
  });
  int parts = 0, reads = 0;
  while (writing) {
    int fd = open(target.c_str(), O_RDONLY);
    if (fd < 0) continue;
    close(fd);
    std::string seen = ReadWholeFile(target);
    ++reads;
    if (seen != wholeFirst && seen != wholeSecond) ++parts;
  }
  writer.join();
  EXPECT_EQ(parts, 0) << "of " << reads << " reads";
}

TEST_F(FilesTest, BadHandlesAndRequestsFail) {
  EXPECT_FALSE(WriteFile(INVALID_HANDLE_VALUE, "a", 1, nullptr, nullptr));
  EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
  EXPECT_FALSE(CloseHandle(nullptr));
  std::string path = (home_ / "f").string();
  EXPECT_EQ(CreateFileA(path.c_str(), 0, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, 6, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(CreateFileW(nullptr, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA(nullptr, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);

  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_FALSE(WriteFile(file, "a", 1, nullptr, nullptr));
  LARGE_INTEGER size{};
  EXPECT_FALSE(GetFileSizeEx(file, &size));
}

// A file opened in place takes every call that a handle takes, whichever
// call opened it: writes at the position, sizes, cutting.
TEST_F(FilesTest, AFileOpenedInPlaceServesEveryHandleCall) {
  std::string path = (home_ / "part").string();
  PutFile(path, "0123456789");
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LARGE_INTEGER size{};
  EXPECT_TRUE(GetFileSizeEx(file, &size));
  EXPECT_EQ(size.QuadPart, 10);
  LARGE_INTEGER position{};
  position.QuadPart = 4;
  EXPECT_TRUE(SetFilePointerEx(file, position, nullptr, FILE_BEGIN));
  EXPECT_TRUE(SetEndOfFile(file));
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "ab", 2, &written, nullptr));
  EXPECT_EQ(written, 2u);
  EXPECT_EQ(ReadWholeFile(path), "0123ab") << "written in place, while open";
  position.QuadPart = -1;
  EXPECT_FALSE(SetFilePointerEx(file, position, nullptr, FILE_BEGIN));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(ReadWholeFile(path), "0123ab");

  HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(WriteFile(reader, "x", 1, nullptr, nullptr)) << "opened for reading only";
  EXPECT_TRUE(CloseHandle(reader));
  EXPECT_EQ(ReadWholeFile(path), "0123ab");
}

// CreateFileA is CreateFileW of the converted name: the same file, and
// CREATE_ALWAYS is the replacing writer through either (the old file stays
// whole under the name until the handle closes).
TEST_F(FilesTest, CreateAlwaysReplacesOnCloseThroughEitherCall) {
  fs::path target = driveC_ / "windows/\xE4\xB8\xAD.she";  // the name in UTF-8
  struct Row {
    const char* name;
    std::function<HANDLE()> create;
  } rows[] = {
      {"CreateFileA, code page 936",
       [] {
         return CreateFileA("C:\\Windows\\\xD6\xD0.SHE", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
       }},
      {"CreateFileW, UTF-16",
       [] {
         return CreateFileW(u"C:\\Windows\\\u4E2D.SHE", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::create_directories(target.parent_path());
    PutFile(target, "the old skin, longer than the new");
    HANDLE file = row.create();
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(WriteFile(file, "new", 3, nullptr, nullptr));
    EXPECT_EQ(ReadWholeFile(target), "the old skin, longer than the new");
    EXPECT_EQ(CreateFileW(Wide(target.string()).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE)
        << "share mode 0 keeps the file from an opener in place";
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(ReadWholeFile(target), "new");
    EXPECT_EQ(NamesIn(target.parent_path()), std::set<std::string>{target.filename()});
  }
}

// The standard handles are handles of the same table: WriteFile writes to
// them, and a file's handle is never taken for one of them.
TEST_F(FilesTest, StandardHandlesTakeWriteFile) {
  fs::path log = home_ / "stdout";
  std::fflush(stdout);
  int saved = dup(STDOUT_FILENO);
  int into = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(saved, 0);
  ASSERT_GE(into, 0);
  dup2(into, STDOUT_FILENO);
  close(into);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD written = 0;
  BOOL wrote = WriteFile(out, "line\n", 5, &written, nullptr);
  dup2(saved, STDOUT_FILENO);
  close(saved);
  EXPECT_TRUE(wrote);
  EXPECT_EQ(written, 5u);
  EXPECT_EQ(ReadWholeFile(log), "line\n");
  EXPECT_EQ(GetStdHandle(STD_OUTPUT_HANDLE), out);

  HANDLE file = CreateFileW(Wide(log.string()).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_NE(file, out);
  EXPECT_NE(file, GetStdHandle(STD_INPUT_HANDLE));
  EXPECT_NE(file, GetStdHandle(STD_ERROR_HANDLE));
  EXPECT_FALSE(GetConsoleMode(file, nullptr)) << "a file is no console";
  EXPECT_TRUE(CloseHandle(file));
}

}  // namespace
