// Files that outlive one run, over POSIX files, flock() and statvfs().
//
//   1. Paths: UTF-16 to the host's UTF-8, drive paths through Files.h
//   2. Handles: the same form as Files.cpp's (descriptor plus one)
//   3. Opening, sizes and positions
//   4. Moving, attributes, free space
#include "platform/FileSystem.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/CodePages.h"

namespace {

// ---- 1. Paths ----------------------------------------------------------------

std::string Convert(LPCWSTR wide, UINT codePage) {
  int bytes = WideCharToMultiByte(codePage, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, wide, -1, out.data(), bytes, nullptr, nullptr);
  out.resize(static_cast<std::size_t>(bytes) - 1);  // the terminator was counted
  return out;
}

bool IsDrivePath(LPCWSTR wide) {
  char16_t c = wide[0];
  return ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) && wide[1] == u':';
}

std::string HostPath(LPCWSTR wide) {
  if (wide == nullptr || wide[0] == u'\0') return {};
  if (IsDrivePath(wide)) return HostPathOf(Convert(wide, 936).c_str());
  return Convert(wide, CP_UTF8);
}

// ---- 2. Handles --------------------------------------------------------------

HANDLE HandleOf(int fd) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd) + 1); }
int FdOf(HANDLE handle) { return static_cast<int>(reinterpret_cast<std::intptr_t>(handle) - 1); }

}  // namespace

// ---- 3. Opening, sizes and positions ---------------------------------------------

HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPVOID /*securityAttributes*/,
                   DWORD creationDisposition, DWORD /*flagsAndAttributes*/, HANDLE /*templateFile*/) {
  std::string path = HostPath(fileName);
  bool reads = (desiredAccess & GENERIC_READ) != 0;
  bool writes = (desiredAccess & GENERIC_WRITE) != 0;
  if (path.empty() || (!reads && !writes)) return INVALID_HANDLE_VALUE;

  int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  flags |= reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
  bool truncate = false;
  switch (creationDisposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT; truncate = true; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING: truncate = true; break;
    default: return INVALID_HANDLE_VALUE;
  }
  if (truncate && !writes) return INVALID_HANDLE_VALUE;

  int fd = open(path.c_str(), flags, 0666);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  struct stat info{};
  // The file is cut only once the lock is held, so a file in another's use
  // is never cut under it.
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || (shareMode == 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) ||
      (truncate && ftruncate(fd, 0) != 0)) {
    close(fd);
    return INVALID_HANDLE_VALUE;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return HandleOf(fd);
}

BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) {
  struct stat info{};
  if (size == nullptr || FdOf(file) < 0 || fstat(FdOf(file), &info) != 0) return FALSE;
  size->QuadPart = info.st_size;
  return TRUE;
}

BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD moveMethod) {
  int whence = moveMethod == FILE_BEGIN ? SEEK_SET : moveMethod == FILE_CURRENT ? SEEK_CUR
             : moveMethod == FILE_END   ? SEEK_END : -1;
  if (whence < 0 || FdOf(file) < 0) return FALSE;
  off_t position = lseek(FdOf(file), static_cast<off_t>(distance.QuadPart), whence);
  if (position < 0) return FALSE;
  if (newPosition != nullptr) newPosition->QuadPart = position;
  return TRUE;
}

BOOL SetEndOfFile(HANDLE file) {
  int fd = FdOf(file);
  if (fd < 0) return FALSE;
  off_t position = lseek(fd, 0, SEEK_CUR);
  return position >= 0 && ftruncate(fd, position) == 0 ? TRUE : FALSE;
}

// ---- 4. Moving, attributes, free space ---------------------------------------------

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
