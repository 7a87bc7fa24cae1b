// The Win32 side of the controls' text (shell/ControlText.h): code-page-936
// Text as the W calls take it. This is the one place where the two meet, so
// Chinese shows the same whatever the system's code page.
//
// 编辑框5, the multi-line box, keeps its lines apart with CR LF: a bare LF
// written into it becomes CR LF, so that it shows as a line break.
#pragma once

#include <windows.h>

#include <string>

#include "shell/ControlText.h"

// 936 <-> UTF-16, over ToWide and FromWide.
std::wstring ToWideText(const Text& text);
Text FromWideText(const wchar_t* text);

Text GetControlText(HWND control);
void SetControlText(HWND control, const Text& text);
