// InstallSkin at a program's start, run as a program (skin_probe) in a home
// folder of the test's own, through the cases a user meets: a fresh machine,
// old files, a Windows directory that cannot be written, a second copy.
//
// "Cannot be written" must hold for root too, as CI runs as root. Two ways,
// both ordinary file-system facts rather than capabilities a container may
// lack: the data folder's drive_c is a plain file, so no Windows directory
// can exist at all; or, for a Windows directory that holds files but refuses
// writes, the probe runs as the user nobody (setuid in the child; a plain
// chmod when the tests run unprivileged).
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shell/SkinImages.h"
#include "shell/skin/SkinFile.h"
#include "tests/TempFiles.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr auto kDeadline = std::chrono::seconds(60);
constexpr uid_t kNobody = 65534;

// A running probe with its three standard streams on pipes.
struct Probe {
  pid_t pid = -1;
  int in = -1, out = -1, err = -1;
  std::string outText, errText;
};

struct Ended {
  int status = -1;  // the exit status, or -1 when killed or still running at the deadline
  std::string out, err;
};

std::optional<Probe> StartProbe(const fs::path& program, const fs::path& home, const std::vector<std::string>& args,
                                bool asNobody) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string_view entry(*e);
    if (entry.starts_with("HOME=") || entry.starts_with("XDG_DATA_HOME=") || entry.starts_with("QT_QPA_PLATFORM=")) {
      continue;
    }
    env.emplace_back(entry);
  }
  env.push_back("HOME=" + home.string());
  env.push_back("QT_QPA_PLATFORM=offscreen");
  std::vector<char*> envp, argv;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string programText = program.string();
  argv.push_back(programText.data());
  std::vector<std::string> argsCopy = args;
  for (std::string& a : argsCopy) argv.push_back(a.data());
  argv.push_back(nullptr);

  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return std::nullopt;
  pid_t pid = fork();
  if (pid < 0) return std::nullopt;
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    if (asNobody && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(126);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  return Probe{pid, in[1], out[0], err[0], {}, {}};
}

// Reads what the probe says until `until` returns true, both streams end, or
// the deadline passes. False at the deadline.
template <class Until>
bool ReadProbe(Probe& probe, Until until) {
  auto deadline = std::chrono::steady_clock::now() + kDeadline;
  while (!until(probe) && (probe.out >= 0 || probe.err >= 0)) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd fds[2] = {{probe.out, POLLIN, 0}, {probe.err, POLLIN, 0}};
    if (poll(fds, 2, static_cast<int>(left.count())) < 0 && errno != EINTR) return false;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        (i == 0 ? probe.outText : probe.errText).append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(fds[i].fd);
        (i == 0 ? probe.out : probe.err) = -1;
      }
    }
  }
  return true;
}

Ended Finish(Probe& probe) {
  if (probe.in >= 0) close(probe.in);
  probe.in = -1;
  bool inTime = ReadProbe(probe, [](const Probe&) { return false; });
  if (!inTime) kill(probe.pid, SIGKILL);
  int status = 0;
  waitpid(probe.pid, &status, 0);
  for (int fd : {probe.out, probe.err}) {
    if (fd >= 0) close(fd);
  }
  return {inTime && WIFEXITED(status) ? WEXITSTATUS(status) : -1, probe.outText, probe.errText};
}

Ended RunProbe(const fs::path& program, const fs::path& home, bool asNobody = false) {
  std::optional<Probe> probe = StartProbe(program, home, {}, asNobody);
  if (!probe) return {};
  return Finish(*probe);
}

std::set<std::string> NamesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

std::string SkinnedLook() { return "look window=#f0f0f0 button=#e1e1e1 sheet=1\n"; }

class SkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = MakeTempFolder("linkpeel-skin");
    ASSERT_FALSE(home_.empty());
    fs::permissions(home_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    dataFolder_ = home_ / ".local/share/linkpeel";
    windows_ = dataFolder_ / "drive_c/windows";
    // The probe's own folder is searched first; it must not hold a library.
    ASSERT_FALSE(fs::exists(fs::path(LINKPEEL_SKIN_PROBE).parent_path() / "jedata.dll"));
  }
  void TearDown() override { fs::remove_all(home_); }

  // A Windows directory of the platform's, as a machine that has one.
  void MakeWindowsDirectory() { fs::create_directories(windows_); }

  // Drive C under a plain file: no Windows directory can be made or written.
  void MakeDriveCUnwritable() {
    fs::create_directories(dataFolder_);
    PutFile(dataFolder_ / "drive_c", "not a folder");
  }

  fs::path home_, dataFolder_, windows_;
};

TEST_F(SkinTest, AFreshStartWritesBothFilesAndIsSkinned) {
  Ended run = RunProbe(LINKPEEL_SKIN_PROBE, home_);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, SkinnedLook());
  ASSERT_GT(SkinEngineImage.size(), 0u);
  EXPECT_TRUE(ReadWholeFile(windows_ / "jedata.dll") == SkinEngineImage.view());
  EXPECT_TRUE(ReadWholeFile(windows_ / "win8.she") == SkinFileImage.view());
  EXPECT_EQ(SkinFileImage.view().substr(0, 4), ".SHE");
}

TEST_F(SkinTest, LongerOldFilesAreReplacedWhole) {
  MakeWindowsDirectory();
  PutFile(windows_ / "jedata.dll", std::string(SkinEngineImage.size() * 2, 'j'));
  PutFile(windows_ / "win8.she", std::string(SkinFileImage.size() * 2, 's'));
  Ended run = RunProbe(LINKPEEL_SKIN_PROBE, home_);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, SkinnedLook());
  EXPECT_TRUE(ReadWholeFile(windows_ / "jedata.dll") == SkinEngineImage.view());
  EXPECT_TRUE(ReadWholeFile(windows_ / "win8.she") == SkinFileImage.view());
}

TEST_F(SkinTest, NoWindowsDirectoryAndNoLibraryIsTheFatalError) {
  MakeDriveCUnwritable();
  Ended run = RunProbe(LINKPEEL_SKIN_PROBE, home_);
  EXPECT_EQ(run.status, 255);
  EXPECT_EQ(run.out, "");  // nothing after the failing step runs
  EXPECT_NE(run.err.find("运行时出错!"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("错误信息：无法找到指定DLL库文件“jedata.dll”中的输出命令“SkinH_AttachEx”"), std::string::npos)
      << run.err;
}

// A library found under the name that does not export the function is the
// same fatal error.
TEST_F(SkinTest, ALibraryWithoutTheFunctionIsTheFatalError) {
  MakeDriveCUnwritable();
  fs::create_directories(home_ / "bin");
  fs::copy_file(LINKPEEL_SKIN_PROBE, home_ / "bin/skin_probe");
  fs::copy_file(LINKPEEL_OTHER_LIBRARY, home_ / "bin/jedata.dll");
  Ended run = RunProbe(home_ / "bin/skin_probe", home_);
  EXPECT_EQ(run.status, 255);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("无法找到指定DLL库文件“jedata.dll”中的输出命令“SkinH_AttachEx”"), std::string::npos) << run.err;
}

// The program's own folder comes first: a library there lets the start go
// on although nothing could be written (and no skin file could be found).
TEST_F(SkinTest, ALibraryInTheProgramsFolderLetsTheStartGoOn) {
  MakeDriveCUnwritable();
  fs::create_directories(home_ / "bin");
  fs::copy_file(LINKPEEL_SKIN_PROBE, home_ / "bin/skin_probe");
  PutFile(home_ / "bin/jedata.dll", SkinEngineImage.view());
  Ended run = RunProbe(home_ / "bin/skin_probe", home_);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out, SkinnedLook());
  EXPECT_NE(run.out.find("sheet=0"), std::string::npos) << run.out;
}

// A Windows directory that refuses writes but holds an earlier library and a
// skin file of its own: the start goes on with what is there.
TEST_F(SkinTest, AnUnwritableWindowsDirectoryUsesTheFilesInPlace) {
  MakeWindowsDirectory();
  PutFile(windows_ / "jedata.dll", SkinEngineImage.view());
  PutFile(windows_ / "win8.she", PackSkinFile({{"PALT", "Window #112233\nButton #445566\n"}}));
  fs::create_directories(home_ / "bin");
  fs::copy_file(LINKPEEL_SKIN_PROBE, home_ / "bin/skin_probe");  // where nobody can surely run it
  bool asNobody = geteuid() == 0;
  if (!asNobody) fs::permissions(windows_, fs::perms::owner_write, fs::perm_options::remove);

  Ended run = RunProbe(home_ / "bin/skin_probe", home_, asNobody);
  if (run.status == 126) GTEST_SKIP() << "cannot drop privileges to nobody here";
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "look window=#112233 button=#445566 sheet=0\n");
  EXPECT_TRUE(ReadWholeFile(windows_ / "jedata.dll") == SkinEngineImage.view());
}

// A link at either path, put there by someone else: the start replaces the
// link with its own file and leaves the file it pointed to as it was; a link
// to nowhere makes nothing come into being outside drive C.
TEST_F(SkinTest, LinksAtTheSkinsPathsAreReplacedNotWrittenThrough) {
  enum Kind { kSymbolic, kHard, kDangling };
  struct Row {
    const char* name;
    const char* file;
    Kind kind;
  } rows[] = {
      {"symbolic link at the library", "jedata.dll", kSymbolic},
      {"symbolic link at the skin", "win8.she", kSymbolic},
      {"hard link at the library", "jedata.dll", kHard},
      {"hard link at the skin", "win8.she", kHard},
      {"link to nowhere at the library", "jedata.dll", kDangling},
      {"link to nowhere at the skin", "win8.she", kDangling},
  };
  int rowNumber = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::path home = home_ / std::to_string(++rowNumber);
    fs::path windows = home / ".local/share/linkpeel/drive_c/windows";
    fs::path user = home / "documents/notes.txt";
    fs::create_directories(windows);
    fs::create_directories(user.parent_path());
    if (row.kind != kDangling) PutFile(user, "the user's own notes");
    if (row.kind == kHard) fs::create_hard_link(user, windows / row.file);
    else fs::create_symlink(user, windows / row.file);

    Ended run = RunProbe(LINKPEEL_SKIN_PROBE, home);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, SkinnedLook());
    if (row.kind == kDangling) {
      EXPECT_FALSE(fs::exists(fs::symlink_status(user)));
    } else {
      EXPECT_TRUE(ReadWholeFile(user) == "the user's own notes") << "written through the link";
      EXPECT_EQ(fs::hard_link_count(user), 1u);
    }
    for (const char* file : {"jedata.dll", "win8.she"}) {
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(windows / file))) << file;
    }
    EXPECT_TRUE(ReadWholeFile(windows / "jedata.dll") == SkinEngineImage.view());
    EXPECT_TRUE(ReadWholeFile(windows / "win8.she") == SkinFileImage.view());
  }
}

// The data folder on a small disk that fills up while the library is being
// written. No part of a library is ever left under its name, let alone
// loaded: with no library in place the start ends with the fatal error, and
// with a whole one in place it goes on with that one.
TEST_F(SkinTest, AFullDiskLeavesNoPartOfTheLibraryAndLoadsNone) {
  fs::create_directories(dataFolder_);
  // About half the library with nothing in place; with one in place, room
  // for it and the skin but not for a second library.
  std::size_t page = 4096;
  std::size_t libraryPages = (SkinEngineImage.size() + page - 1) / page;
  struct Row {
    const char* name;
    bool libraryInPlace;
    std::size_t diskBytes;
  } rows[] = {
      {"nothing in place", false, libraryPages / 2 * page},
      {"a whole library in place", true, (libraryPages + 2) * page},
  };
  if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    GTEST_SKIP() << "cannot make a mount namespace here";
  }
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::string options = "size=" + std::to_string(row.diskBytes);
    ASSERT_EQ(mount("tmpfs", dataFolder_.c_str(), "tmpfs", 0, options.c_str()), 0) << std::strerror(errno);
    MakeWindowsDirectory();
    if (row.libraryInPlace) PutFile(windows_ / "jedata.dll", SkinEngineImage.view());

    Ended run = RunProbe(LINKPEEL_SKIN_PROBE, home_);
    if (row.libraryInPlace) {
      EXPECT_EQ(run.status, 0) << run.err;
      EXPECT_TRUE(ReadWholeFile(windows_ / "jedata.dll") == SkinEngineImage.view());
      EXPECT_EQ(NamesIn(windows_), (std::set<std::string>{"jedata.dll", "win8.she"}));
    } else {
      EXPECT_EQ(run.status, 255) << "killed by a signal, or went on without a library: " << run.err;
      EXPECT_NE(run.err.find("无法找到指定DLL库文件“jedata.dll”中的输出命令“SkinH_AttachEx”"), std::string::npos)
          << run.err;
      EXPECT_FALSE(fs::exists(windows_ / "jedata.dll"));
    }
    EXPECT_TRUE(!fs::exists(windows_ / "win8.she") || ReadWholeFile(windows_ / "win8.she") == SkinFileImage.view());
    umount2(dataFolder_.c_str(), MNT_DETACH);
  }
}

// A second copy while the first runs: its write of the library fails (the
// library is in use), it loads the library in place, and the first copy,
// whose library was never cut, runs on.
TEST_F(SkinTest, ASecondCopyUsesTheLibraryInPlaceAndTheFirstRunsOn) {
  std::optional<Probe> first = StartProbe(LINKPEEL_SKIN_PROBE, home_, {"--hold"}, false);
  ASSERT_TRUE(first.has_value());
  auto said = [](const std::string& what) {
    return [what](const Probe& p) { return p.outText.find(what) != std::string::npos; };
  };
  ASSERT_TRUE(ReadProbe(*first, said("ready\n")));
  ASSERT_EQ(first->outText, SkinnedLook() + "ready\n") << first->errText;
  struct stat before{};
  ASSERT_EQ(stat((windows_ / "jedata.dll").c_str(), &before), 0);

  Ended second = RunProbe(LINKPEEL_SKIN_PROBE, home_);
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, SkinnedLook());

  struct stat after{};
  ASSERT_EQ(stat((windows_ / "jedata.dll").c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_size, before.st_size);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);  // not written, not even cut and rewritten

  EXPECT_EQ(waitpid(first->pid, nullptr, WNOHANG), 0);  // still running
  ASSERT_EQ(write(first->in, "again\n", 6), 6);
  EXPECT_TRUE(ReadProbe(*first, said("again ok\n")));
  Ended firstEnd = Finish(*first);
  EXPECT_EQ(firstEnd.status, 0) << firstEnd.err;
  EXPECT_TRUE(ReadWholeFile(windows_ / "jedata.dll") == SkinEngineImage.view());
}

}  // namespace
