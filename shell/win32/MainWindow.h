// The Win32 main window: the form (shell/Form.h) made of the system's own
// controls with the W calls. Each control's id is 1000 plus its row's place
// in the table, which is how a control is found by name and how its kind is
// known.
#pragma once

#include <windows.h>

#include "shell/Form.h"

// The window class of the main window (Unicode).
inline constexpr wchar_t kMainWindowClass[] = L"LinkpeelMainWindow";

// Creates the window and its eleven controls in the table's order, runs the
// created handler (InstallSkin) and shows the window centred on the screen.
// Null when the window cannot be made. Needs COM on the calling thread.
HWND LoadMainWindow(HINSTANCE instance);

// The main window while it exists, else null.
HWND MainWindow();

// The main window's control of that name (UTF-8); null when there is none.
HWND FindControl(const char* controlName);

// None for a window that is no control of the main window.
ControlKind ControlKindOf(HWND control);

// Runs the message loop until the main window is gone; the quit code.
int RunMessageLoop();
