// LoadLibraryA and GetProcAddress over dlopen and dlsym, with flock() for the
// sharing rule the platform keeps for loaded libraries.
#include "platform/Library.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Files.h"

namespace {

std::string ProgramFolder() {
  std::string path(4096, '\0');
  ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return {};
  path.resize(static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/'));
}

// The shared lock that stands for "loaded": a writer holding the file
// exclusively (a copy of the program writing it right now) is given a little
// time to finish, as a second copy started at the same moment needs.
bool LockShared(int fd) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (flock(fd, LOCK_SH | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    usleep(10 * 1000);
  }
  return false;
}

// Loads the file at `path`; false when it is not there at all, so that the
// search goes on. The lock's descriptor stays open for the life of the process.
bool TryLoad(const std::string& path, HMODULE& module) {
  module = nullptr;
  if (path.empty()) return false;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat info{};
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && LockShared(fd)) {
    module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  if (module == nullptr) close(fd);
  return true;
}

}  // namespace

HMODULE LoadLibraryA(LPCSTR fileName) {
  if (fileName == nullptr || fileName[0] == '\0') return nullptr;
  std::string_view name(fileName);
  HMODULE module = nullptr;
  if (name.find_first_of("\\/:") != std::string_view::npos) {
    TryLoad(HostPathOf(fileName), module);
    return module;
  }
  std::string folder = ProgramFolder();
  if (!folder.empty() && TryLoad(folder + "/" + HostPathOf(fileName), module)) return module;
  TryLoad(HostPathOf(("C:\\Windows\\" + std::string(name)).c_str()), module);
  return module;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
  if (module == nullptr || procName == nullptr) return nullptr;
  return reinterpret_cast<FARPROC>(dlsym(module, procName));
}
