// The window toolkit's side of MessageBoxA: a modal Qt message box, installed
// with SetMessageBoxPresenter(PresentMessageBoxQt) once the toolkit is up.
//
// The box has the given caption and text (plain text; CR LF is one line
// break), an OK button only, and an icon only when the type asks for one:
//   MB_OK | MB_TASKMODAL                 => no icon
//   MB_OK | MB_ICONERROR | MB_TASKMODAL  => the error icon
// Without a running QApplication it writes the caption and text to standard
// error, as MessageBoxA does with no presenter.
#pragma once

#include "platform/WinTypes.h"

void PresentMessageBoxQt(const char* captionUtf8, const char* textUtf8, UINT type);
