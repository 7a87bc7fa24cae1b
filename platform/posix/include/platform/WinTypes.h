// The few Windows type names that our platform stand-ins keep, so that calls
// read as they do on the platform. Sizes follow the 32-bit Windows ABI where
// it matters to callers (DWORD is 32 bits, BOOL is an int).
#pragma once

#include <cstdint>

using BOOL = int;
using BYTE = unsigned char;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using INT = int;
using LPSTR = char*;
using LPCSTR = const char*;
// A UTF-16 code unit; Windows' own is wchar_t, which is 32 bits here.
using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPDWORD = DWORD*;
using LPBOOL = BOOL*;
using HANDLE = void*;
using HWND = void*;
using HINSTANCE = void*;
using DWORD_PTR = std::uintptr_t;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
