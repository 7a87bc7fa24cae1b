// LoadLibraryA and GetProcAddress over dlopen and dlsym, with flock() for the
// sharing rule the platform keeps for loaded libraries.
#include "platform/Library.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
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

// A shared flock(): on a library it stands for "loaded"; on its folder it
// waits out a copy of the program that is writing into it right now (which
// holds the folder exclusively, Files.h) and keeps the next one from
// renaming a new file over the name until the library is locked. A second
// copy started at the same moment needs that little time.
bool LockShared(int fd) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (flock(fd, LOCK_SH | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    usleep(10 * 1000);
  }
  return false;
}

// An ELF image is whole when every part that its headers name lies inside
// the file: the dynamic loader maps the parts without looking, and touching
// a page past the end of a cut file is SIGBUS. Anything that is not an ELF
// image of our kind is left to dlopen, which refuses it cleanly.
bool WholeImage(int fd, std::uint64_t size) {
  ElfW(Ehdr) header{};
  if (pread(fd, &header, sizeof header, 0) != static_cast<ssize_t>(sizeof header) ||
      std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32)) {
    return true;
  }
  auto inside = [size](std::uint64_t offset, std::uint64_t length) { return offset <= size && length <= size - offset; };
  if (!inside(header.e_phoff, std::uint64_t{header.e_phnum} * header.e_phentsize) ||
      !inside(header.e_shoff, std::uint64_t{header.e_shnum} * header.e_shentsize) ||
      header.e_phentsize != sizeof(ElfW(Phdr))) {
    return false;
  }
  for (unsigned i = 0; i < header.e_phnum; ++i) {
    ElfW(Phdr) segment{};
    if (pread(fd, &segment, sizeof segment, static_cast<off_t>(header.e_phoff + i * sizeof segment)) !=
        static_cast<ssize_t>(sizeof segment)) {
      return false;
    }
    if (segment.p_type == PT_LOAD && !inside(segment.p_offset, segment.p_filesz)) return false;
  }
  return true;
}

// Loads the file at `path`; false when it is not there at all, so that the
// search goes on. The library is loaded from the very file that was locked
// (through /proc/self/fd), whatever takes its name afterwards. The lock's
// descriptor stays open for the life of the process.
bool TryLoad(const std::string& path, HMODULE& module) {
  module = nullptr;
  if (path.empty()) return false;
  std::size_t slash = path.rfind('/');
  std::string folderPath = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  int folder = open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) LockShared(folder);  // a writer that does not finish in time: take what is there
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  bool locked = false;
  struct stat info{};
  if (fd >= 0) locked = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && LockShared(fd);
  if (folder >= 0) close(folder);
  if (fd < 0) return false;
  if (locked && WholeImage(fd, static_cast<std::uint64_t>(info.st_size))) {
    // Without /proc, the name will do as long as it still leads to that file.
    std::string lockedFile = "/proc/self/fd/" + std::to_string(fd);
    struct stat seen{};
    if (stat(lockedFile.c_str(), &seen) != 0) lockedFile = path;
    if (stat(lockedFile.c_str(), &seen) == 0 && seen.st_dev == info.st_dev && seen.st_ino == info.st_ino) {
      module = dlopen(lockedFile.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
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
