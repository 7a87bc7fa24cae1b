// Files, as kernel32 offers them: CreateFileA and CreateFileW, WriteFile and
// CloseHandle, sizes and positions, moving a finished file into place, and
// asking about names, folders and free space.
//
// Drive paths. "X:\..." names a file on the user's own stand-in for drive X,
// a folder under the XDG data folder, the way other emulation layers keep a
// drive C:
//
//   C:\Windows\jedata.dll  => $XDG_DATA_HOME/linkpeel/drive_c/windows/jedata.dll
//                             (~/.local/share when XDG_DATA_HOME is unset or relative)
//   c:/WINDOWS//Win8.SHE   => .../drive_c/windows/win8.she
//   C:\Windows\..\..\x     => .../drive_c/x       (".." stops at the drive's root)
//   C:relative, X:         => ""                   (no drive-relative paths)
//   /tmp/a, a\b            => unchanged            (host paths pass through,
//                                                   relative ones from the current folder)
//
// Windows paths ignore case, and the drive folder keeps that rule by storing
// every ASCII letter of a mapped path in lower case. The host file name is the
// path's UTF-8: W calls take UTF-16, so a name from any code page reaches the
// disk unchanged; A calls take the ANSI code page, which is 936 here
// (CodePages.h), and are their W calls on the converted name.
//
// The Windows directory, C:\Windows, always exists on Windows. Its stand-in is
// the platform's, not the program's: mapping a path under it creates it when
// it is missing (and nothing else). Nothing else makes folders.
//
// Handles. As on Windows, every file handle (from CreateFile, and the
// standard handles of Console.h) is an entry of one table, never null and
// never INVALID_HANDLE_VALUE, and WriteFile, CloseHandle and the size and
// position calls serve each of them, whatever opened it.
//
// Sharing. A file opened with share mode 0 is opened by no one else who asks
// for share mode 0 until it is closed, and a file that a running program has
// loaded as a library (LoadLibraryA) cannot be opened for writing with share
// mode 0 or CREATE_ALWAYS. Both hold across processes, as flock() locks. Where
// Windows refuses any second opener of a share-mode-0 file, here an opener
// with another share mode takes no lock and is not refused.
//
// Replacing. CREATE_ALWAYS with write access, where Windows cuts the file and
// writes into it, opens a new file beside it instead (a hidden name of its
// own, same folder), and CloseHandle renames it over the target, only when
// every write, the fsync and the close succeeded; otherwise the new file is
// removed and the target stays as it was (Windows would leave what was
// written). A target of one link that already holds exactly the new bytes is
// kept as it is, and the new file removed: the same bytes under the name,
// without a second sync of a file the program rewrites at every start. Meanwhile the handle holds the target's folder exclusively (so one
// such writer at a time per folder, where Windows keeps them apart per file),
// and the file now under the name exclusively, which fails while a loader or a
// share-mode-0 opener holds it; it does so whatever share mode was asked for.
// So:
//   - a reader finds the old whole file or the new whole file, never a part;
//   - a full disk leaves no cut file under the name, and nothing beside it;
//   - a link under the name (symbolic, dangling or hard) is replaced by the
//     new file; the file it leads to is never opened, written or created.
//
// Failures are FALSE, INVALID_HANDLE_VALUE or INVALID_FILE_ATTRIBUTES; these
// calls set no error code, so a caller that needs the cause asks again (the
// folder's attributes, the disk's free space).
#pragma once

#include <cstdint>
#include <string>

#include "platform/WinTypes.h"

using LONG = std::int32_t;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;

union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;
  LONGLONG QuadPart;
};
using PLARGE_INTEGER = LARGE_INTEGER*;

union ULARGE_INTEGER {
  struct {
    DWORD LowPart;
    DWORD HighPart;
  } u;
  ULONGLONG QuadPart;
};
using PULARGE_INTEGER = ULARGE_INTEGER*;

struct FILETIME {
  DWORD dwLowDateTime;
  DWORD dwHighDateTime;
};

struct WIN32_FILE_ATTRIBUTE_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;  // the times are left 0: nothing of ours reads them
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
};

enum GET_FILEEX_INFO_LEVELS { GetFileExInfoStandard = 0 };

inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

inline constexpr DWORD GENERIC_READ = 0x80000000;
inline constexpr DWORD GENERIC_WRITE = 0x40000000;

inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD TRUNCATE_EXISTING = 5;

inline constexpr DWORD FILE_SHARE_READ = 0x00000001;

inline constexpr DWORD FILE_BEGIN = 0;
inline constexpr DWORD FILE_CURRENT = 1;
inline constexpr DWORD FILE_END = 2;

inline constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x00000001;

inline constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x00000001;
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x00000010;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// GENERIC_READ and/or GENERIC_WRITE, with the disposition:
//   CREATE_NEW         the name must be free
//   CREATE_ALWAYS      the replacing writer above (write access needed)
//   OPEN_EXISTING      the file must be there
//   OPEN_ALWAYS        opened, or created empty
//   TRUNCATE_EXISTING  the file must be there, and is cut to 0 (write access needed)
// Only regular files are opened; a folder, FIFO or device under the name
// fails, and a FIFO without a reader does not hang the call. A file is cut
// only once its lock is held, so a file in another's use is never cut under
// it. The attributes, security and template are not looked at. No folder is
// created. INVALID_HANDLE_VALUE on failure, and then an existing file is left
// as it was.
HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPVOID securityAttributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);

// CreateFileW of the name converted from code page 936.
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPVOID securityAttributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);

// Writes all `size` bytes at the file position (retrying short writes) and
// reports the count in *written when it is not null. FALSE on a bad handle or
// a failed write; once a write has failed, a replacing writer's file will not
// take the target's name, and it takes no more writes.
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPVOID overlapped);

// Releases the handle and its locks. A replacing writer's new file takes the
// target's name when every write succeeded and it reached the disk whole
// (fsync, close); otherwise it is removed. FALSE for a bad handle, a failed
// write before (replacing writer), or a failed fsync, close or rename.
BOOL CloseHandle(HANDLE handle);

BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);

// Moves the file position; the new position goes to *newPosition when it is
// not null. A position before the start fails; one past the end is allowed.
BOOL SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD moveMethod);

// The file ends at the current position (cut or extended).
BOOL SetEndOfFile(HANDLE file);

// Without MOVEFILE_REPLACE_EXISTING an existing target is never replaced,
// not even by a file that appears in the same instant. Within one file system.
BOOL MoveFileExW(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags);

// FILE_ATTRIBUTE_DIRECTORY for a folder, FILE_ATTRIBUTE_READONLY for what the
// process may not write, FILE_ATTRIBUTE_NORMAL for a plain writable file.
DWORD GetFileAttributesW(LPCWSTR fileName);
BOOL GetFileAttributesExW(LPCWSTR fileName, GET_FILEEX_INFO_LEVELS infoLevel, LPVOID fileInformation);

// Bytes the caller may still write on the disk that holds `directoryName`
// (the current folder's when it is null).
BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                         PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes);

// The host path of a code-page-936 file name as the stand-ins see it (table
// above); "" when the name cannot be mapped. Shared with the libraries that
// open our files.
std::string HostPathOf(LPCSTR fileName);
