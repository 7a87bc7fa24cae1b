// File writing over POSIX files and flock().
//
//   1. Drive paths: the XDG data folder, the mapping, the Windows directory
//   2. Handles: a handle is its file descriptor plus one (never null, never -1)
//   3. CreateFileA / WriteFile / CloseHandle
#include "platform/Files.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/CodePages.h"

namespace {

// ---- 1. Drive paths ------------------------------------------------------------

bool IsAbsolute(const char* path) { return path != nullptr && path[0] == '/'; }

std::string DataHome() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); IsAbsolute(xdg)) return xdg;
  if (const char* home = std::getenv("HOME"); IsAbsolute(home)) return std::string(home) + "/.local/share";
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      IsAbsolute(found->pw_dir)) {
    return std::string(found->pw_dir) + "/.local/share";
  }
  return {};
}

// Code page 936 to UTF-8, the way Linux names files. Ask for the size,
// allocate, convert.
std::string Utf8Of(LPCSTR cp936) {
  std::string_view source(cp936);
  if (std::none_of(source.begin(), source.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
    return std::string(source);  // ASCII is the same in both
  }
  int units = MultiByteToWideChar(936, 0, cp936, -1, nullptr, 0);
  if (units <= 0) return {};
  std::u16string wide(static_cast<std::size_t>(units), u'\0');
  MultiByteToWideChar(936, 0, cp936, -1, wide.data(), units);
  int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
  utf8.resize(static_cast<std::size_t>(bytes) - 1);  // the terminator was converted and counted
  return utf8;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// mkdir -p for the few folders of the Windows directory's stand-in.
void MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); ; slash = path.find('/', slash + 1)) {
    std::string prefix = path.substr(0, slash);
    if (mkdir(prefix.c_str(), 0755) != 0 && errno != EEXIST) return;
    if (slash == std::string::npos) return;
  }
}

// ---- 2. Handles ----------------------------------------------------------------

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd) + 1); }
int FdOf(HANDLE handle) { return static_cast<int>(reinterpret_cast<std::intptr_t>(handle) - 1); }

}  // namespace

std::string HostPathOf(LPCSTR fileName) {
  if (fileName == nullptr || fileName[0] == '\0') return {};
  std::string path = Utf8Of(fileName);
  if (path.size() < 2 || !IsAsciiLetter(path[0]) || path[1] != ':') return path;
  if (path.size() < 3 || (path[2] != '\\' && path[2] != '/')) return {};

  std::string home = DataHome();
  if (home.empty()) return {};
  std::string root = home + "/linkpeel/drive_" + LowerAscii(path[0]);

  // UTF-8 holds no trail byte 0x5C, so every backslash here is a separator.
  std::vector<std::string> parts;
  std::string part;
  auto endPart = [&] {
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (std::size_t i = 3; i < path.size(); ++i) {
    if (path[i] == '\\' || path[i] == '/') endPart();
    else part += LowerAscii(path[i]);
  }
  endPart();

  if (!parts.empty() && parts.front() == "windows") MakeFolders(root + "/windows");
  std::string host = root;
  for (const std::string& p : parts) host += "/" + p;
  return host;
}

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD /*shareMode*/, LPVOID /*securityAttributes*/,
                   DWORD creationDisposition, DWORD /*flagsAndAttributes*/, HANDLE /*templateFile*/) {
  if ((desiredAccess & GENERIC_WRITE) == 0 || creationDisposition != CREATE_ALWAYS) return INVALID_HANDLE_VALUE;
  std::string path = HostPathOf(fileName);
  if (path.empty()) return INVALID_HANDLE_VALUE;

  // No O_TRUNC: the file may be a library that a running copy has loaded, and
  // only the lock tells. O_NONBLOCK keeps a FIFO from hanging the open.
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  struct stat info{};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flock(fd, LOCK_EX | LOCK_NB) != 0 ||
      ftruncate(fd, 0) != 0) {
    close(fd);
    return INVALID_HANDLE_VALUE;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return HandleOf(fd);
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPVOID /*overlapped*/) {
  if (written != nullptr) *written = 0;
  int fd = FdOf(file);
  if (fd < 0 || (buffer == nullptr && size != 0)) return FALSE;
  const char* next = static_cast<const char*>(buffer);
  DWORD done = 0;
  while (done < size) {
    ssize_t n = write(fd, next + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<DWORD>(n);
  }
  if (written != nullptr) *written = done;
  return done == size ? TRUE : FALSE;
}

BOOL CloseHandle(HANDLE handle) {
  int fd = FdOf(handle);
  if (fd < 0) return FALSE;
  return close(fd) == 0 ? TRUE : FALSE;
}
