// The main window's form, the same for every window toolkit: the window's
// size, caption and name, and its eleven controls as one table of rows that
// each toolkit's window (shell/qt/, shell/win32/) turns into its own
// controls. Neither keeps a copy: a change of one row changes both windows.
//
// Rectangles are in pixels, relative to the top-left corner of the window's
// client area. The window is 450 x 379 outside, its frame 3 pixels on each
// side and its title bar 19 high, so its client area is 444 x 354; every
// control fits inside (the lowest, 标签1, ends at 352).
#pragma once

#include <vector>

#include "text/Text.h"

inline constexpr int kWindowOuterWidth = 450;
inline constexpr int kWindowOuterHeight = 379;
inline constexpr int kClientWidth = 444;
inline constexpr int kClientHeight = 354;

// The form names its window so; its controls are looked up in it by name.
inline constexpr char kMainWindowName[] = "启动窗口";

// The maker has no web site yet: a reserved example domain stands in for it.
// The caption names it and the banner opens its home page.
inline constexpr char kMakerWebAddress[] = "www.example.com";
Text HomePageAddress();  // "http://www.example.com/"
Text WindowCaption();    // "Linkpeel - Selvo (www.example.com)"

// The kinds of control on the form; None is anything that is no control of it.
enum class ControlKind { None, PushButton, Label, PictureBox, TransparentLabel, EditBox, MultiLineEditBox };

struct TextColour {
  unsigned char red = 0, green = 0, blue = 0;
};

struct ControlRow {
  const char* name;  // UTF-8, as the toolkits name their controls
  ControlKind kind;
  int left, top, width, height;
  Text text;                  // the initial text
  void (*event)() = nullptr;  // clicked (buttons), left button pressed (picture box)
  bool enabled = true;
  TextColour textColour = {}; // transparent labels draw in their own colour
};

// In the order the window creates them, which is also the focus order.
std::vector<ControlRow> ControlTable();

// The handlers. None takes an argument or gives anything back; none knows
// which toolkit runs it. CloseMainWindow is each toolkit's own.
void ShowAbout();        // the About text in a modal box captioned "信息："
void CloseMainWindow();  // posts the window's closing; it goes once the caller has returned
void OpenHomePage();     // hands the home page to the platform's opener
