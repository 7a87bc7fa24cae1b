// Files over POSIX descriptors, flock() and statvfs().
//
//   1. Drive paths: the XDG data folder, the mapping, the Windows directory
//   2. Handles: one table of open files (never null, never -1), the standard
//      descriptors among them
//   3. CreateFileW / CreateFileA: a plain open, or the replacing writer (a new
//      file beside the target, renamed over it when everything went well)
//   4. WriteFile / CloseHandle, sizes and positions
//   5. Moving, attributes, free space
#include "platform/Files.h"

#include <fcntl.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/FileHandles.h"
#include "platform/Utf8.h"

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

// The mapping of the table in Files.h, over the path's UTF-8.
std::string MapPath(const std::string& path) {
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

std::string HostPath(LPCWSTR fileName) {
  if (fileName == nullptr || fileName[0] == u'\0') return {};
  return MapPath(Utf8Of(fileName));
}

// ---- 2. Handles ----------------------------------------------------------------

// What CloseHandle still owes a replacing writer's target: the locks that keep
// others out meanwhile, and the name its new file is to take.
struct Replacement {
  int folder = -1;      // the target's folder, locked exclusively
  int old = -1;         // the file now under the target's name, locked exclusively; -1 when none
  std::string name;     // the target's name in its folder
  std::string newName;  // the new file's name in the same folder
  bool failed = false;  // a write failed: the new file never takes the name
};

struct OpenFile {
  int fd = -1;           // the file written and read (a replacing writer's new file)
  bool owned = true;     // a standard descriptor outlives its handle
  std::optional<Replacement> replacement;
};

std::mutex handlesLock;
std::map<std::uintptr_t, OpenFile> handles;
std::uintptr_t lastHandle = 0;
HANDLE standardHandles[3] = {};

HANDLE RegisterLocked(OpenFile file) {
  do ++lastHandle;
  while (lastHandle == 0 || lastHandle == static_cast<std::uintptr_t>(-1) || handles.count(lastHandle) != 0);
  handles.emplace(lastHandle, std::move(file));
  return reinterpret_cast<HANDLE>(lastHandle);
}

HANDLE Register(OpenFile file) {
  std::lock_guard<std::mutex> guard(handlesLock);
  return RegisterLocked(std::move(file));
}

// Runs `use` on the handle's entry under the lock; false for a bad handle.
template <class Use>
bool WithFile(HANDLE handle, Use use) {
  std::lock_guard<std::mutex> guard(handlesLock);
  auto found = handles.find(reinterpret_cast<std::uintptr_t>(handle));
  if (found == handles.end()) return false;
  use(found->second);
  return true;
}

std::optional<OpenFile> Unregister(HANDLE handle) {
  std::lock_guard<std::mutex> guard(handlesLock);
  auto found = handles.find(reinterpret_cast<std::uintptr_t>(handle));
  if (found == handles.end()) return std::nullopt;
  OpenFile file = std::move(found->second);
  handles.erase(found);
  return file;
}

void CloseIfOpen(int fd) {
  if (fd >= 0) close(fd);
}

// ---- 3. Opening ------------------------------------------------------------------

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

HANDLE OpenReplacing(const std::string& path, bool reads) {
  if (path.back() == '/') return INVALID_HANDLE_VALUE;
  std::size_t slash = path.rfind('/');
  std::string folderPath = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);

  OpenFile file;
  Replacement& r = file.replacement.emplace();
  r.name = slash == std::string::npos ? path : path.substr(slash + 1);
  auto fail = [&file, &r] {
    CloseIfOpen(file.fd);
    if (file.fd >= 0) unlinkat(r.folder, r.newName.c_str(), 0);
    CloseIfOpen(r.old);
    CloseIfOpen(r.folder);
    return INVALID_HANDLE_VALUE;
  };
  r.folder = open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (r.folder < 0 || flock(r.folder, LOCK_EX | LOCK_NB) != 0) return fail();

  // What is under the name now. A link is not followed: it is replaced like
  // any other name. A regular file is opened for writing (as Windows would
  // need to) without cutting it, and stays locked until the new file has
  // taken its name; its lock is how a library that a running copy has loaded
  // says so. O_NONBLOCK keeps a FIFO from hanging the open.
  r.old = openat(r.folder, r.name.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (r.old < 0 && errno != ENOENT && errno != ELOOP) return fail();
  if (r.old >= 0) {
    struct stat info{};
    if (fstat(r.old, &info) != 0 || !S_ISREG(info.st_mode) || flock(r.old, LOCK_EX | LOCK_NB) != 0) return fail();
  }

  int mode = reads ? O_RDWR : O_WRONLY;
  for (int attempt = 0; attempt < 8 && file.fd < 0; ++attempt) {
    r.newName = NewNameBeside(r.name);
    file.fd = openat(r.folder, r.newName.c_str(), mode | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
    if (file.fd < 0 && errno != EEXIST) break;
  }
  if (file.fd < 0) return fail();
  return Register(std::move(file));
}

HANDLE OpenInPlace(const std::string& path, bool reads, bool writes, DWORD shareMode, DWORD creationDisposition) {
  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  flags |= reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
  bool truncate = false;
  switch (creationDisposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING: truncate = true; break;
    default: return INVALID_HANDLE_VALUE;
  }
  if (truncate && !writes) return INVALID_HANDLE_VALUE;

  int fd = open(path.c_str(), flags, 0666);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  struct stat info{};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || (shareMode == 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) ||
      (truncate && ftruncate(fd, 0) != 0)) {
    close(fd);
    return INVALID_HANDLE_VALUE;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  OpenFile file;
  file.fd = fd;
  return Register(std::move(file));
}

}  // namespace

std::string HostPathOf(LPCSTR fileName) {
  if (fileName == nullptr || fileName[0] == '\0') return {};
  return MapPath(Utf8Of(fileName));
}

HANDLE StandardHandle(int descriptor) {
  if (descriptor < 0 || descriptor > 2) return INVALID_HANDLE_VALUE;
  std::lock_guard<std::mutex> guard(handlesLock);
  HANDLE& handle = standardHandles[descriptor];
  if (handle == nullptr || handles.count(reinterpret_cast<std::uintptr_t>(handle)) == 0) {
    OpenFile file;
    file.fd = descriptor;
    file.owned = false;
    handle = RegisterLocked(std::move(file));
  }
  return handle;
}

int DescriptorOf(HANDLE handle) {
  int fd = -1;
  WithFile(handle, [&fd](const OpenFile& file) { fd = file.fd; });
  return fd;
}

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPVOID /*securityAttributes*/,
                   DWORD creationDisposition, DWORD /*flagsAndAttributes*/, HANDLE /*templateFile*/) {
  bool reads = (desiredAccess & GENERIC_READ) != 0;
  bool writes = (desiredAccess & GENERIC_WRITE) != 0;
  std::string path = HostPath(fileName);
  if (path.empty() || (!reads && !writes)) return INVALID_HANDLE_VALUE;
  if (creationDisposition == CREATE_ALWAYS) return writes ? OpenReplacing(path, reads) : INVALID_HANDLE_VALUE;
  return OpenInPlace(path, reads, writes, shareMode, creationDisposition);
}

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPVOID securityAttributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile) {
  std::u16string wide = WideOf(fileName, 936);
  return CreateFileW(wide.c_str(), desiredAccess, shareMode, securityAttributes, creationDisposition,
                     flagsAndAttributes, templateFile);
}

// ---- 4. WriteFile / CloseHandle, sizes and positions ------------------------------

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPVOID /*overlapped*/) {
  if (written != nullptr) *written = 0;
  int fd = -1;
  bool failed = false;
  bool known = WithFile(file, [&](const OpenFile& entry) {
    fd = entry.fd;
    failed = entry.replacement && entry.replacement->failed;
  });
  if (!known || failed || (buffer == nullptr && size != 0)) return FALSE;
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
  WithFile(file, [](OpenFile& entry) {
    if (entry.replacement) entry.replacement->failed = true;
  });
  return FALSE;
}

// Whether the file under the name, ours alone (one link), already holds
// exactly the new file's bytes. The program writes the same two files at
// every start; keeping such a file spares the start a sync to the disk, and
// the name holds the same bytes either way.
bool AlreadyInPlace(const Replacement& r) {
  if (r.old < 0) return false;
  int oldRead = openat(r.folder, r.name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  int newRead = openat(r.folder, r.newName.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  struct stat locked{}, oldInfo{}, newInfo{};
  bool same = oldRead >= 0 && newRead >= 0 && fstat(r.old, &locked) == 0 && fstat(oldRead, &oldInfo) == 0 &&
              fstat(newRead, &newInfo) == 0 && oldInfo.st_dev == locked.st_dev && oldInfo.st_ino == locked.st_ino &&
              oldInfo.st_nlink == 1 && oldInfo.st_size == newInfo.st_size;
  char oldBytes[65536], newBytes[65536];
  for (off_t at = 0; same && at < newInfo.st_size;) {
    ssize_t a = pread(oldRead, oldBytes, sizeof oldBytes, at);
    ssize_t b = pread(newRead, newBytes, sizeof newBytes, at);
    same = a > 0 && a == b && std::memcmp(oldBytes, newBytes, static_cast<std::size_t>(a)) == 0;
    at += a > 0 ? a : 0;
  }
  CloseIfOpen(oldRead);
  CloseIfOpen(newRead);
  return same;
}

BOOL CloseHandle(HANDLE handle) {
  std::optional<OpenFile> file = Unregister(handle);
  if (!file) return FALSE;
  if (!file->replacement) return !file->owned || close(file->fd) == 0 ? TRUE : FALSE;

  Replacement& r = *file->replacement;
  if (!r.failed && AlreadyInPlace(r)) {
    bool closed = close(file->fd) == 0;
    unlinkat(r.folder, r.newName.c_str(), 0);
    CloseIfOpen(r.old);
    close(r.folder);
    return closed ? TRUE : FALSE;
  }

  // The data reaches the disk before the name moves, so that not even a
  // crash leaves a part of the file under the name.
  bool whole = !r.failed && fsync(file->fd) == 0;
  whole = close(file->fd) == 0 && whole;
  whole = whole && renameat(r.folder, r.newName.c_str(), r.folder, r.name.c_str()) == 0;
  if (!whole) unlinkat(r.folder, r.newName.c_str(), 0);
  CloseIfOpen(r.old);
  close(r.folder);
  return whole ? TRUE : FALSE;
}

BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) {
  int fd = DescriptorOf(file);
  struct stat info{};
  if (size == nullptr || fd < 0 || fstat(fd, &info) != 0) return FALSE;
  size->QuadPart = info.st_size;
  return TRUE;
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD moveMethod) {
  int whence = moveMethod == FILE_BEGIN ? SEEK_SET : moveMethod == FILE_CURRENT ? SEEK_CUR
             : moveMethod == FILE_END   ? SEEK_END : -1;
  int fd = DescriptorOf(file);
  if (whence < 0 || fd < 0) return FALSE;
  off_t position = lseek(fd, static_cast<off_t>(distance.QuadPart), whence);
  if (position < 0) return FALSE;
  if (newPosition != nullptr) newPosition->QuadPart = position;
  return TRUE;
}

BOOL SetEndOfFile(HANDLE file) {
  int fd = DescriptorOf(file);
  if (fd < 0) return FALSE;
  off_t position = lseek(fd, 0, SEEK_CUR);
  return position >= 0 && ftruncate(fd, position) == 0 ? TRUE : FALSE;
}

// ---- 5. Moving, attributes, free space ----------------------------------------------

BOOL MoveFileExW(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags) {
  std::string from = HostPath(existingFileName);
  std::string to = HostPath(newFileName);
  if (from.empty() || to.empty()) return FALSE;
  if ((flags & MOVEFILE_REPLACE_EXISTING) != 0) return rename(from.c_str(), to.c_str()) == 0 ? TRUE : FALSE;
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return TRUE;
  if (errno != EINVAL && errno != ENOSYS) return FALSE;
  // A file system without the no-replace rename: a hard link cannot replace
  // either, and then the old name goes.
  if (link(from.c_str(), to.c_str()) != 0) return FALSE;
  unlink(from.c_str());
  return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR fileName) {
  std::string path = HostPath(fileName);
  struct stat info{};
  if (path.empty() || stat(path.c_str(), &info) != 0) return INVALID_FILE_ATTRIBUTES;
  DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0;
  if (access(path.c_str(), W_OK) != 0) attributes |= FILE_ATTRIBUTE_READONLY;
  return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

BOOL GetFileAttributesExW(LPCWSTR fileName, GET_FILEEX_INFO_LEVELS infoLevel, LPVOID fileInformation) {
  if (infoLevel != GetFileExInfoStandard || fileInformation == nullptr) return FALSE;
  std::string path = HostPath(fileName);
  struct stat info{};
  if (path.empty() || stat(path.c_str(), &info) != 0) return FALSE;
  auto* data = static_cast<WIN32_FILE_ATTRIBUTE_DATA*>(fileInformation);
  *data = WIN32_FILE_ATTRIBUTE_DATA{};
  data->dwFileAttributes = GetFileAttributesW(fileName);
  auto size = static_cast<ULONGLONG>(info.st_size);
  data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  return TRUE;
}

BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                         PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes) {
  std::string path = directoryName == nullptr ? std::string(".") : HostPath(directoryName);
  struct statvfs info{};
  if (path.empty() || statvfs(path.c_str(), &info) != 0) return FALSE;
  auto unit = static_cast<ULONGLONG>(info.f_frsize);
  if (freeBytesAvailableToCaller != nullptr) freeBytesAvailableToCaller->QuadPart = unit * info.f_bavail;
  if (totalNumberOfBytes != nullptr) totalNumberOfBytes->QuadPart = unit * info.f_blocks;
  if (totalNumberOfFreeBytes != nullptr) totalNumberOfFreeBytes->QuadPart = unit * info.f_bfree;
  return TRUE;
}
