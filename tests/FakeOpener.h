// A stand-in for the desktop's opener (xdg-open) for tests: a script put first
// on PATH that appends each address it is given to a file, then waits (10 s at
// most) until the test releases it, so a test can see whether its caller
// waited. Its output goes nowhere, so that it holds no pipe of the test open.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

class FakeOpener {
 public:
  FakeOpener() {
    char pattern[] = "/tmp/linkpeel-opener-XXXXXX";
    dir_ = mkdtemp(pattern);
    std::ofstream script(dir_ + "/xdg-open");
    script << "#!/bin/sh\nexec >/dev/null 2>&1\n"
           << "printf '%s\\n' \"$1\" >> '" << OpenedPath() << "'\n"
           << "i=0; while [ ! -e '" << dir_ << "/release' ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done\n"
           << "echo >> '" << dir_ << "/done'\n";
    script.close();
    chmod((dir_ + "/xdg-open").c_str(), 0755);
    const char* path = std::getenv("PATH");
    oldPath_ = path != nullptr ? path : "";
    setenv("PATH", (dir_ + ":" + oldPath_).c_str(), 1);
  }
  ~FakeOpener() {
    Release();
    // Every opener started must have seen the release before it goes away.
    for (int i = 0; i < 500 && Lines(dir_ + "/done") < Lines(OpenedPath()); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    setenv("PATH", oldPath_.c_str(), 1);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string OpenedPath() const { return dir_ + "/opened"; }
  void Release() const { std::ofstream(dir_ + "/release").close(); }
  bool Finished() const { return Exists(dir_ + "/done"); }

  // The addresses handed over so far, one a line; waits (5 s at most) for the first.
  std::string Opened() const {
    WaitFor(OpenedPath());
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let the line be written whole
    std::ifstream in(OpenedPath());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  static int Lines(const std::string& path) {
    std::ifstream in(path);
    int lines = 0;
    for (std::string line; std::getline(in, line);) ++lines;
    return lines;
  }
  static bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }
  static void WaitFor(const std::string& path) {
    for (int i = 0; i < 500 && !Exists(path); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

 private:
  std::string dir_;
  std::string oldPath_;
};
