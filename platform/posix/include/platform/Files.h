// File writing, as kernel32 offers it: CreateFileA, WriteFile and CloseHandle,
// for the one use the program has (a new file, written whole, shared with no
// one while it is open).
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
//   /tmp/a, a\b            => unchanged            (host paths pass through)
//
// Windows paths ignore case, and the drive folder keeps that rule by storing
// every ASCII letter of a mapped path in lower case. Paths are code-page-936
// bytes; the host file name is their UTF-8.
//
// The Windows directory, C:\Windows, always exists on Windows. Its stand-in is
// the platform's, not the program's: mapping a path under it creates it when
// it is missing (and nothing else). Nothing else makes folders.
//
// Sharing. A file opened with share mode 0 is opened by no one else until it
// is closed, and a file that a running program has loaded as a library
// (LoadLibraryA) cannot be opened for writing at all. Both hold across
// processes, as flock() locks: a writer holds the target's folder
// exclusively for the handle's life (so one writer at a time per folder,
// where Windows keeps them apart per file), and the file now under the name
// exclusively, which fails while a loader holds it shared.
//
// Replacing. Where Windows cuts the file and writes into it, the stand-in
// writes a new file beside it (a hidden name of its own, same folder) and
// CloseHandle renames it over the target, only when every write, the fsync
// and the close succeeded; otherwise the new file is removed and the target
// stays as it was (Windows would leave what was written). So:
//   - a reader finds the old whole file or the new whole file, never a part;
//   - a full disk leaves no cut file under the name, and nothing beside it;
//   - a link under the name (symbolic, dangling or hard) is replaced by the
//     new file; the file it leads to is never opened, written or created.
#pragma once

#include <string>

#include "platform/WinTypes.h"

inline constexpr DWORD GENERIC_WRITE = 0x40000000;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

// Only GENERIC_WRITE with CREATE_ALWAYS is served; any other access or
// disposition fails. Every share mode is kept as 0 (the only one the program
// asks for). No folder is created. INVALID_HANDLE_VALUE on failure, and then
// an existing file is left as it was:
//   folder missing or not writable, another writer in it => fails
//   a folder, FIFO or other non-file under the name       => fails
//   a file in use (locked by a loader or writer)          => fails
//   nothing, a file or a link under the name              => a handle
HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPVOID securityAttributes,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);

// Writes all `size` bytes (retrying short writes) and reports the count in
// *written when it is not null. FALSE on a bad handle or a failed write; once
// a write has failed, the file will not take the target's name.
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPVOID overlapped);

// Puts the new file in the target's place when every write succeeded and it
// reached the disk whole (fsync, close); otherwise removes it. Releases the
// handle and its locks either way. FALSE for a bad handle, a failed write
// before, or a failed fsync, close or rename.
BOOL CloseHandle(HANDLE handle);

// The host path of a file name as the stand-ins see it (table above); "" when
// the name cannot be mapped. Shared with the libraries that open our files.
std::string HostPathOf(LPCSTR fileName);
