// The one main window: its form, built from the control table, and the small
// handlers bound to its controls.
//
// The window's outer size is 450 x 379 on the platform it was laid out for,
// whose fixed frame is 3 pixels on each side and whose title bar is 19 high.
// Qt sizes the client area, so the window is made 444 x 354 and the desktop
// adds its own frame around that. Every control fits inside: the lowest,
// 标签1, ends at 352.
#pragma once

#include "text/Text.h"

class QWidget;

inline constexpr int kWindowOuterWidth = 450;
inline constexpr int kWindowOuterHeight = 379;
inline constexpr int kClientWidth = 444;
inline constexpr int kClientHeight = 354;

// The maker has no web site yet: a reserved example domain stands in for it.
// The caption names it and the banner opens its home page.
inline constexpr char kMakerWebAddress[] = "www.example.com";
Text HomePageAddress();  // "http://www.example.com/"

// Creates the window and its eleven controls in the table's order, runs the
// created handler (InstallSkin) and shows the window centred on the screen.
// Needs a QApplication. Null when there is no screen to show it on.
QWidget* LoadMainWindow();

// The main window while it exists, else null. Its controls are found by name
// with FindControl (shell/ControlText.h).
QWidget* MainWindow();

// The handlers. None takes an argument or gives anything back.
void ShowAbout();        // the About text in a modal box captioned "信息："
void CloseMainWindow();  // posts the window's closing; it goes once the caller has returned
void OpenHomePage();     // hands the home page to the desktop's opener
