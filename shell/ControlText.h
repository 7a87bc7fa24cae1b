// The text of the main window's controls by their names ("编辑框2"), as the
// handlers see it: code-page-936 Text, whatever toolkit shows it. Each
// toolkit's window implements these two (shell/qt/, shell/win32/).
//
// Reading a control gives a new Text; writing replaces the control's text
// whole. No main window, no control of that name, or the picture box reads
// as "" and ignores a write. 编辑框5, the multi-line box, keeps its lines
// apart with CR LF, as a multi-line edit box does on Windows:
//   SetControlText("编辑框5", "a\nb")  => shows two lines; reads back "a\r\nb"
#pragma once

#include "text/Text.h"

Text GetControlText(const char* controlName);
void SetControlText(const char* controlName, const Text& text);
