// MessageBoxA: a modal box with a caption, a text (both code-page-936 bytes)
// and an OK button. Where no window toolkit is running, the caption and text
// go to standard error as UTF-8 instead, and the answer is IDOK at once.
#pragma once

#include "platform/WinTypes.h"

inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_ICONERROR = 0x00000010;
inline constexpr UINT MB_TASKMODAL = 0x00002000;
inline constexpr int IDOK = 1;

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// The window toolkit, once it is up, shows boxes through this hook; it is
// given the caption and text as UTF-8 and the MB_ style bits. Passing null
// goes back to standard error.
using MessageBoxPresenter = void (*)(const char* captionUtf8, const char* textUtf8, UINT type);
void SetMessageBoxPresenter(MessageBoxPresenter presenter);
