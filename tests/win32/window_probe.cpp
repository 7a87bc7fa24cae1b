// window_probe COMMAND ...: looks at and works linkpeel.exe's main window from
// outside, as a user or a screen reader would, through the documented window
// messages only. It prints UTF-8, one fact a line; CR and LF in a text show
// as \r and \n. Controls are named by their ids.
//
//   wait N          waits (30 s at most) until N main windows show
//   form            the window (outer rectangle, flags, caption), its client
//                   size and the screen size, then each control in creation
//                   order: id, class, rectangle in the client, flags, text
//   where ID        the control's centre, in screen coordinates
//   get ID          the control's text
//   set ID TEXT     replaces the control's text (WM_SETTEXT)
//   click ID        clicks the button (BM_CLICK, posted: About's box blocks)
//   press ID        presses the left mouse button on the control
//   focus           the id of the control that has the keyboard focus
//   close           the close box's command (SC_CLOSE)
//   box CAPTION     waits (10 s) for a message box of that caption, prints
//                   its texts and buttons, then presses its OK button
//
// Exit status: 0, or 1 when the window, control or box is not found.
#include <windows.h>

#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kMainWindowClass[] = L"LinkpeelMainWindow";

std::string Utf8(const std::wstring& text) {
  std::string shown;
  for (wchar_t c : text) {
    if (c == L'\r') shown += "\\r";
    else if (c == L'\n') shown += "\\n";
    else if (c == L'\\') shown += "\\\\";
    else {
      char bytes[8];
      int n = WideCharToMultiByte(CP_UTF8, 0, &c, 1, bytes, sizeof(bytes), nullptr, nullptr);
      shown.append(bytes, static_cast<std::size_t>(n > 0 ? n : 0));
    }
  }
  return shown;
}

std::wstring TextOf(HWND window) {
  LRESULT units = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::vector<wchar_t> text(static_cast<std::size_t>(units) + 1, L'\0');
  SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  return text.data();
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::vector<HWND> MainWindows() {
  std::vector<HWND> found;
  EnumWindows(
      [](HWND window, LPARAM list) -> BOOL {
        if (IsWindowVisible(window) && ClassOf(window) == kMainWindowClass)
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(
      parent,
      [](HWND window, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::string Flags(HWND window) {
  LONG style = GetWindowLongW(window, GWL_STYLE);
  std::wstring kind = ClassOf(window);
  std::string flags;
  auto add = [&flags](bool on, const char* name) {
    if (on) flags += flags.empty() ? name : std::string(",") + name;
  };
  add(style & WS_DISABLED, "disabled");
  add(style & WS_TABSTOP, "tabstop");
  add(style & WS_BORDER, "border");
  add(style & WS_HSCROLL, "hscroll");
  add(style & WS_VSCROLL, "vscroll");
  if (GetParent(window) == nullptr) {
    add(style & WS_CAPTION, "caption");
    add(style & WS_SYSMENU, "sysmenu");
    add(style & WS_THICKFRAME, "sizeframe");
    add(style & WS_MINIMIZEBOX, "minimizebox");
    add(style & WS_MAXIMIZEBOX, "maximizebox");
  } else if (_wcsicmp(kind.c_str(), L"Edit") == 0) {
    add(style & ES_MULTILINE, "multiline");
    add(style & ES_AUTOHSCROLL, "autohscroll");
    add(style & ES_AUTOVSCROLL, "autovscroll");
    add(style & ES_WANTRETURN, "wantreturn");
    add(style & ES_NOHIDESEL, "nohidesel");
    add(style & ES_READONLY, "readonly");
    add(style & ES_PASSWORD, "password");
  } else if (_wcsicmp(kind.c_str(), L"Button") == 0) {
    add((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON, "default");
  }
  return flags.empty() ? "-" : flags;
}

HWND Control(HWND window, const wchar_t* id) { return GetDlgItem(window, _wtoi(id)); }

HWND FirstMainWindow() {
  std::vector<HWND> windows = MainWindows();
  return windows.empty() ? nullptr : windows.front();
}

int Form(HWND window) {
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  std::printf("screen %d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  std::printf("window %ld %ld %ld %ld %s %s\n", outer.left, outer.top, outer.right - outer.left,
              outer.bottom - outer.top, Flags(window).c_str(), Utf8(TextOf(window)).c_str());
  std::printf("client %ld %ld\n", client.right, client.bottom);
  // Creation order is the order of the window's children (the Z order of
  // siblings made without WS_EX_TOPMOST is reversed by nothing here).
  for (HWND control : Children(window)) {
    if (GetParent(control) != window) continue;
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
    std::printf("control %d %s %ld %ld %ld %ld %s %s\n", GetDlgCtrlID(control), Utf8(ClassOf(control)).c_str(),
                place.left, place.top, place.right - place.left, place.bottom - place.top, Flags(control).c_str(),
                Utf8(TextOf(control)).c_str());
  }
  return 0;
}

int Box(const wchar_t* caption) {
  for (int i = 0; i < 200; ++i) {
    if (HWND box = FindWindowW(L"#32770", caption)) {
      for (HWND child : Children(box))
        if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0 && !TextOf(child).empty())
          std::printf("text %s\n", Utf8(TextOf(child)).c_str());
      for (HWND child : Children(box))
        if (_wcsicmp(ClassOf(child).c_str(), L"Button") == 0 && IsWindowVisible(child))
          std::printf("button %d\n", GetDlgCtrlID(child));
      PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
      return 0;
    }
    Sleep(50);
  }
  std::fprintf(stderr, "window_probe: no box captioned %s\n", Utf8(caption).c_str());
  return 1;
}

}  // namespace

int main() {
  _setmode(_fileno(stdout), _O_BINARY);  // lines end in LF alone, as the scripts read them
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (count < 2) return 2;
  std::wstring command = args[1];
  if (command == L"wait") {
    std::size_t wanted = count > 2 ? static_cast<std::size_t>(_wtoi(args[2])) : 1;
    for (int i = 0; i < 600; ++i) {
      if (MainWindows().size() >= wanted) return 0;
      Sleep(50);
    }
    std::fprintf(stderr, "window_probe: %zu main windows did not show\n", wanted);
    return 1;
  }
  if (command == L"box" && count > 2) return Box(args[2]);
  HWND window = FirstMainWindow();
  if (window == nullptr) {
    std::fprintf(stderr, "window_probe: no main window\n");
    return 1;
  }
  if (command == L"form") return Form(window);
  if (command == L"focus") {
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof(thread);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread)) return 1;
    std::printf("%d\n", thread.hwndFocus == nullptr ? 0 : GetDlgCtrlID(thread.hwndFocus));
    return 0;
  }
  if (command == L"close") return PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
  if (count < 3) return 2;
  HWND control = Control(window, args[2]);
  if (control == nullptr) {
    std::fprintf(stderr, "window_probe: no control %s\n", Utf8(args[2]).c_str());
    return 1;
  }
  if (command == L"get") {
    std::printf("%s\n", Utf8(TextOf(control)).c_str());
  } else if (command == L"set" && count > 3) {
    SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[3]));
  } else if (command == L"click") {
    PostMessageW(control, BM_CLICK, 0, 0);
  } else if (command == L"press") {
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  } else if (command == L"where") {
    RECT place;
    GetWindowRect(control, &place);
    std::printf("%ld %ld\n", (place.left + place.right) / 2, (place.top + place.bottom) / 2);
  } else {
    return 2;
  }
  return 0;
}
