// Files that outlive one run, as kernel32 offers them: opening with every
// disposition, sizes and positions, moving a finished file into place, and
// asking about folders and free space. Paths are wide (UTF-16) here, as the
// platform's W calls take them: a name from any code page reaches the disk
// unchanged. WriteFile and CloseHandle (Files.h) serve these handles too.
//
// Paths follow Files.h: "X:\..." is the stand-in for drive X (mapped through
// code page 936), anything else is a host path, relative ones from the
// current folder.
//
// Failures are FALSE, INVALID_HANDLE_VALUE or INVALID_FILE_ATTRIBUTES; these
// calls set no error code, so a caller that needs the cause asks again (the
// folder's attributes, the disk's free space).
#pragma once

#include <cstdint>

#include "platform/Files.h"
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

inline constexpr DWORD GENERIC_READ = 0x80000000;

inline constexpr DWORD CREATE_NEW = 1;
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
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// GENERIC_READ and/or GENERIC_WRITE; CREATE_NEW (fails when the name exists),
// CREATE_ALWAYS, OPEN_EXISTING, OPEN_ALWAYS, TRUNCATE_EXISTING. Share mode 0
// keeps the file from every other opener that also asks for share mode 0,
// across processes, until it is closed; another share mode takes no lock.
// Only regular files are opened. No folder is created.
HANDLE CreateFileW(LPCWSTR fileName, DWORD desiredAccess, DWORD shareMode, LPVOID securityAttributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);

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

// Bytes the caller may still write on the disk that holds `directoryName`.
BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, PULARGE_INTEGER freeBytesAvailableToCaller,
                         PULARGE_INTEGER totalNumberOfBytes, PULARGE_INTEGER totalNumberOfFreeBytes);
