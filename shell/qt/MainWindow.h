// The Qt main window: the form (shell/Form.h) made of Qt widgets.
//
// Qt sizes the client area, so the window is made kClientWidth x
// kClientHeight and the desktop adds its own frame around that.
#pragma once

#include "shell/Form.h"

class QWidget;

// Creates the window and its eleven controls in the table's order, runs the
// created handler (InstallSkin) and shows the window centred on the screen.
// Needs a QApplication. Null when there is no screen to show it on.
QWidget* LoadMainWindow();

// The main window while it exists, else null. Its controls are found by name
// with FindControl (shell/qt/ControlText.h).
QWidget* MainWindow();
