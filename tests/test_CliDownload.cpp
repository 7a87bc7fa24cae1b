// linkpeel-resolve's --aria2 and --download, end to end: the stand-in share
// service hands out links to its file host, which serves the files (only to
// the agent that asked for the link, with the link as Referer). Runs inside
// in_share_netns.sh, whose mount namespace is private, so the small file
// systems mounted here vanish with it.
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/ServiceLog.h"
#include "tests/TempFiles.h"

namespace fs = std::filesystem;

namespace {

std::string FileBytes(std::size_t size) {  // as share_service.py's file_bytes
  std::string unit(65521, '\0');
  for (std::size_t i = 0; i < unit.size(); ++i) unit[i] = static_cast<char>((i * 7 + (i >> 8)) & 0xFF);
  std::string bytes;
  while (bytes.size() < size) bytes += unit;
  return bytes.substr(0, size);
}

std::string Hex(std::string_view bytes) {
  static const char* const kDigits = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) hex += {kDigits[c >> 4], kDigits[c & 15]};
  return hex;
}

// The share of a file of `size` bytes named `name` (UTF-8).
std::string FileShare(std::size_t size, std::string_view name) {
  return "http://pan.baidu.com/s/1file-" + std::to_string(size) + "-" + Hex(name);
}

struct ShellRun {
  int status = -1;
  std::string out, err;
};

// Runs a shell command line; `$R` in it is the program under test.
ShellRun Shell(const fs::path& work, const std::string& command) {
  fs::path err = work / "stderr.txt";
  std::string line = "cd '" + work.string() + "' && R=" LINKPEEL_RESOLVE_PATH " && " + command + " 2>'" +
                     err.string() + "'";
  ShellRun run;
  FILE* pipe = popen(line.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.err = ReadWholeFile(err);
  fs::remove(err);
  return run;
}

std::vector<std::string> Names(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class CliDownload : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!InShareNetns()) GTEST_SKIP() << "runs only inside in_share_netns.sh";
    work_ = MakeTempFolder("linkpeel-cli");
    ASSERT_FALSE(work_.empty());
    out_ = work_ / "out";
    fs::create_directory(out_);
  }
  void TearDown() override {
    if (work_.empty()) return;
    for (const auto& entry : fs::directory_iterator(work_)) {
      // Whatever is mounted there is unmounted; a plain folder makes umount fail, which is fine.
      if (!entry.is_directory()) continue;
      [[maybe_unused]] int status = std::system(("umount -q '" + entry.path().string() + "' 2>/dev/null").c_str());
    }
    fs::remove_all(work_);
  }

  fs::path work_, out_;
};

TEST_F(CliDownload, Aria2InputFileLetsAria2FetchTheFileUnderItsName) {
  std::string name = "季度报告 final.pdf";
  ShellRun run = Shell(work_, "$R --aria2 " + FileShare(300'000, name) + " http://pan.baidu.com/s/1bare");
  EXPECT_EQ(run.status, 1);  // the second address gives no link, and no entry
  std::string link = "http://d.pcs.baidu.com/file/300000-" + Hex(name) + "?fid=9300000";
  EXPECT_EQ(run.out, link + "\n  out=" + name +
                         "\n  header=User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; QX7VN; .NET CLR "
                         "2.0.50727; .NET CLR 3.0.04506.648; .NET CLR 3.5.21022)\n  header=Referer: " +
                         link + "\n");

  std::ofstream(work_ / "input.txt") << run.out;
  // aria2's own resolver asks DNS servers only; the namespace's names live in
  // /etc/hosts, which the system resolver reads.
  ShellRun aria2 = Shell(work_, "aria2c -q --async-dns=false -d out -i input.txt");
  EXPECT_EQ(aria2.status, 0) << aria2.out << aria2.err;
  EXPECT_EQ(Names(out_), std::vector<std::string>{name});
  EXPECT_TRUE(ReadWholeFile(out_ / name) == FileBytes(300'000));
}

TEST_F(CliDownload, DownloadsIntoTheFolderNeverReplacingAndQuietWithoutATerminal) {
  std::string share = FileShare(1'500'000, "data.bin");
  ShellRun first = Shell(work_, "$R --download --output-dir out " + share);
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, "http://d.pcs.baidu.com/file/1500000-" + Hex("data.bin") + "?fid=91500000\n");
  EXPECT_EQ(first.err, "linkpeel-resolve: saved out/data.bin (1.43 MiB)\n");  // no progress in a log
  ShellRun second = Shell(work_, "$R --download --output-dir=out " + share);
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(Names(out_), (std::vector<std::string>{"data (1).bin", "data.bin"}));
  EXPECT_TRUE(ReadWholeFile(out_ / "data.bin") == FileBytes(1'500'000));
  EXPECT_TRUE(ReadWholeFile(out_ / "data (1).bin") == FileBytes(1'500'000));

  ShellRun here = Shell(out_, "$R --download " + share);  // the current folder by default
  EXPECT_EQ(here.status, 0) << here.err;
  EXPECT_TRUE(fs::exists(out_ / "data (2).bin"));
}

TEST_F(CliDownload, ProgressLineIsDrawnInPlaceOnATerminal) {
  fs::create_directory(work_ / "tty");
  // script gives the program a terminal for its standard streams.
  ShellRun run = Shell(work_, "script -qec \"$R --download --output-dir tty " + FileShare(3'000'000, "t.bin") +
                             "\" /dev/null");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("\r2.86 MiB of 2.86 MiB  100%"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\r\x1b[Klinkpeel-resolve: saved tty/t.bin (2.86 MiB)"), std::string::npos) << run.out;
}

TEST_F(CliDownload, AnEarlierPartIsResumedWithARangeRequest) {
  std::string share = FileShare(800'000, "r.bin");
  std::ofstream(out_ / "r.bin.part", std::ios::binary) << FileBytes(800'000).substr(0, 123'456);
  ServiceLogMark mark;
  ShellRun run = Shell(work_, "$R --download --output-dir out " + share);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Names(out_), std::vector<std::string>{"r.bin"});
  EXPECT_TRUE(ReadWholeFile(out_ / "r.bin") == FileBytes(800'000));
  std::vector<nlohmann::json> requests = mark.NewRequests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back()["headers"]["Range"], "bytes=123456-");
}

TEST_F(CliDownload, HostileNamesStayInsideTheFolder) {
  struct Case {
    std::string name, saved;
  } cases[] = {
      {"../../x", ".._.._x"},
      {"a/b", "a_b"},
      {"a\\b", "a_b"},
      {"CON", "_CON"},
      {"", "1000-"},  // no name: the link's last path segment
      {std::string(300, 'n') + ".txt", std::string(196, 'n') + ".txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(out_);
    fs::create_directory(out_);
    ShellRun run = Shell(work_, "$R --download --output-dir out " + FileShare(1000, c.name));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Names(out_), std::vector<std::string>{c.saved});
    EXPECT_EQ(Names(work_), (std::vector<std::string>{"out"}));
  }
}

TEST_F(CliDownload, FaultsSayWhyKeepThePartAndFailTheRun) {
  fs::create_directory(work_ / "small");
  fs::create_directory(work_ / "readonly");
  ASSERT_EQ(std::system(("mount -t tmpfs -o size=1m tmpfs '" + (work_ / "small").string() + "'").c_str()), 0);
  ASSERT_EQ(std::system(("mount -t tmpfs -o ro tmpfs '" + (work_ / "readonly").string() + "'").c_str()), 0);
  std::string share = FileShare(3'000'000, "big.bin");
  std::string link = "http://d.pcs.baidu.com/file/3000000-" + Hex("big.bin") + "?fid=93000000";
  struct Case {
    std::string folder, err;
    std::vector<std::string> left;
  } cases[] = {
      {"small", "linkpeel-resolve: " + link + ": download failed: the disk is full (kept small/big.bin.part to resume)\n",
       {"big.bin.part"}},
      {"readonly", "linkpeel-resolve: " + link + ": download failed: cannot write in the folder readonly\n", {}},
      {"missing", "linkpeel-resolve: " + link + ": download failed: the folder missing does not exist\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    ShellRun run = Shell(work_, "$R --download --output-dir " + c.folder + " " + share);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, link + "\n");  // standard output is as without --download
    EXPECT_EQ(run.err, c.err);
    if (fs::is_directory(work_ / c.folder)) {
      EXPECT_EQ(Names(work_ / c.folder), c.left);
    }
  }
  EXPECT_FALSE(fs::exists(work_ / "missing"));
}

}  // namespace

TEST(CliUsage, DownloadOptionsThatDoNotGoTogether) {
  for (const char* args : {"--json --aria2 x", "--output-dir d x", "--download --output-dir"}) {
    SCOPED_TRACE(args);
    std::string command = std::string(LINKPEEL_RESOLVE_PATH " ") + args + " 2>/dev/null";
    int status = std::system(command.c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2);
  }
}
