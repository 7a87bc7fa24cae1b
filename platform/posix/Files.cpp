// File writing over POSIX files and flock().
//
//   1. Drive paths: the XDG data folder, the mapping, the Windows directory
//   2. Handles: a handle is a number that names a Writer (never null, never -1)
//   3. CreateFileA / WriteFile / CloseHandle: a new file beside the target,
//      renamed over it when everything went well
#include "platform/Files.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
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

// What a handle stands for: a new file beside the target that takes the
// target's name at CloseHandle, and the locks that keep others out meanwhile.
struct Writer {
  int folder = -1;     // the target's folder, locked exclusively
  int old = -1;        // the file now under the target's name, locked exclusively; -1 when none
  int file = -1;       // the new file
  std::string name;    // the target's name in its folder
  std::string newName; // the new file's name in the same folder
  bool failed = false; // a write failed: the new file never takes the name
};

std::mutex handlesLock;
std::map<std::uintptr_t, Writer> handles;
std::uintptr_t lastHandle = 0;

HANDLE Register(Writer writer) {
  std::lock_guard<std::mutex> guard(handlesLock);
  do ++lastHandle;
  while (lastHandle == 0 || lastHandle == static_cast<std::uintptr_t>(-1) || handles.count(lastHandle) != 0);
  handles.emplace(lastHandle, std::move(writer));
  return reinterpret_cast<HANDLE>(lastHandle);
}

// Runs `use` on the handle's writer under the lock; false for a bad handle.
template <class Use>
bool WithWriter(HANDLE handle, Use use) {
  std::lock_guard<std::mutex> guard(handlesLock);
  auto found = handles.find(reinterpret_cast<std::uintptr_t>(handle));
  if (found == handles.end()) return false;
  use(found->second);
  return true;
}

std::optional<Writer> Unregister(HANDLE handle) {
  std::lock_guard<std::mutex> guard(handlesLock);
  auto found = handles.find(reinterpret_cast<std::uintptr_t>(handle));
  if (found == handles.end()) return std::nullopt;
  Writer writer = std::move(found->second);
  handles.erase(found);
  return writer;
}

void CloseIfOpen(int fd) {
  if (fd >= 0) close(fd);
}

// A name beside `name` that no one else uses: hidden, and random enough that
// O_EXCL settles the rare clash.
std::string NewNameBeside(const std::string& name) {
  unsigned char random[8] = {};
  if (getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
    auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (std::size_t i = 0; i < sizeof random; ++i) random[i] ^= static_cast<unsigned char>((now >> (8 * i)) ^ getpid());
  }
  static const char hex[] = "0123456789abcdef";
  std::string result = "." + name + ".";
  for (unsigned char byte : random) {
    result += hex[byte >> 4];
    result += hex[byte & 15];
  }
  return result;
}

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
  if (path.empty() || path.back() == '/') return INVALID_HANDLE_VALUE;
  std::size_t slash = path.rfind('/');
  std::string folderPath = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);

  Writer writer;
  writer.name = slash == std::string::npos ? path : path.substr(slash + 1);
  auto fail = [&writer] {
    CloseIfOpen(writer.file);
    if (writer.file >= 0) unlinkat(writer.folder, writer.newName.c_str(), 0);
    CloseIfOpen(writer.old);
    CloseIfOpen(writer.folder);
    return INVALID_HANDLE_VALUE;
  };
  writer.folder = open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (writer.folder < 0 || flock(writer.folder, LOCK_EX | LOCK_NB) != 0) return fail();

  // What is under the name now. A link is not followed: it is replaced like
  // any other name. A regular file is opened for writing (as Windows would
  // need to) without cutting it, and stays locked until the new file has
  // taken its name; its lock is how a library that a running copy has loaded
  // says so. O_NONBLOCK keeps a FIFO from hanging the open.
  writer.old = openat(writer.folder, writer.name.c_str(),
                      O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (writer.old < 0 && errno != ENOENT && errno != ELOOP) return fail();
  if (writer.old >= 0) {
    struct stat info{};
    if (fstat(writer.old, &info) != 0 || !S_ISREG(info.st_mode) || flock(writer.old, LOCK_EX | LOCK_NB) != 0) {
      return fail();
    }
  }

  for (int attempt = 0; attempt < 8 && writer.file < 0; ++attempt) {
    writer.newName = NewNameBeside(writer.name);
    writer.file = openat(writer.folder, writer.newName.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
    if (writer.file < 0 && errno != EEXIST) break;
  }
  if (writer.file < 0) return fail();
  return Register(std::move(writer));
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPVOID /*overlapped*/) {
  if (written != nullptr) *written = 0;
  int fd = -1;
  bool failed = false;
  bool known = WithWriter(file, [&](const Writer& writer) {
    fd = writer.file;
    failed = writer.failed;
  });
  if (!known) return FALSE;
  if (failed || (buffer == nullptr && size != 0)) return FALSE;
  const char* next = static_cast<const char*>(buffer);
  DWORD done = 0;
  while (done < size) {
    ssize_t n = write(fd, next + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<DWORD>(n);
  }
  if (written != nullptr) *written = done;
  if (done == size) return TRUE;
  WithWriter(file, [](Writer& writer) { writer.failed = true; });
  return FALSE;
}

BOOL CloseHandle(HANDLE handle) {
  std::optional<Writer> writer = Unregister(handle);
  if (!writer) return FALSE;
  // The data reaches the disk before the name moves, so that not even a
  // crash leaves a part of the file under the name.
  bool whole = !writer->failed && fsync(writer->file) == 0;
  whole = close(writer->file) == 0 && whole;
  whole = whole && renameat(writer->folder, writer->newName.c_str(), writer->folder, writer->name.c_str()) == 0;
  if (!whole) unlinkat(writer->folder, writer->newName.c_str(), 0);
  CloseIfOpen(writer->old);
  close(writer->folder);
  return whole ? TRUE : FALSE;
}
