// Code-page conversion, as kernel32 offers it: MultiByteToWideChar and
// WideCharToMultiByte for the code pages CP_ACP (0), 936 and CP_UTF8 (65001).
//
// Sizing follows the platform:
//   - a source length of -1 runs to the source's terminator, which is
//     converted too and counted in every answer;
//   - a capacity of 0 writes nothing and answers the size needed;
//   - otherwise at most `capacity` units are written and the answer is the
//     count written, or 0 when the buffer is too small, the code page is
//     unknown or the source is null.
//
// There is no system ANSI code page here: CP_ACP is served as 936, since all
// of our text is code-page-936 text. Code page 936 is the Windows one (0x80 is
// the euro sign). Invalid UTF-8 never fails a conversion: each maximal invalid
// sequence becomes U+FFFD. A character that 936 lacks becomes "?".
#pragma once

#include "platform/WinTypes.h"

inline constexpr UINT CP_ACP = 0;
inline constexpr UINT CP_UTF8 = 65001;

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceLength,
                        LPWSTR buffer, int capacity);

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceLength,
                        LPSTR buffer, int capacity, LPCSTR defaultChar, LPBOOL usedDefaultChar);
