// The Win32 main window, in three steps: one control from its row of the
// form, the window's own messages (painting the transparent labels and the
// banner, the buttons' clicks), and the message loop's keys.
#include "shell/win32/MainWindow.h"

#include <cstring>
#include <utility>
#include <vector>

#include "shell/Skin.h"
#include "shell/win32/Banner.h"
#include "shell/win32/ControlText.h"
#include "shell/win32/Resources.h"

namespace {

constexpr int kFirstControlId = 1000;

HWND gMainWindow = nullptr;
HFONT gFont = nullptr;      // the platform's default GUI font, for every control
HBITMAP gBanner = nullptr;  // null when the picture could not be decoded
WNDPROC gStaticProcedure = nullptr;

const std::vector<ControlRow>& Rows() {
  static const std::vector<ControlRow> rows = ControlTable();
  return rows;
}

const ControlRow* RowOf(HWND control) {
  if (control == nullptr || gMainWindow == nullptr || GetParent(control) != gMainWindow) return nullptr;
  int index = GetDlgCtrlID(control) - kFirstControlId;
  if (index < 0 || index >= static_cast<int>(Rows().size())) return nullptr;
  return &Rows()[static_cast<std::size_t>(index)];
}

// ---- 1. One control from its row ----------------------------------------------

// The picture box acts on the press itself, before the button is released;
// the second press of a double click counts as well.
LRESULT CALLBACK PictureBoxProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN || message == WM_LBUTTONDBLCLK) {
    if (const ControlRow* row = RowOf(box); row != nullptr && row->event != nullptr) row->event();
    return 0;
  }
  return CallWindowProcW(gStaticProcedure, box, message, wParam, lParam);
}

struct ClassAndStyle {
  const wchar_t* className;
  DWORD style;
};

ClassAndStyle ClassAndStyleOf(ControlKind kind) {
  switch (kind) {
    // No button is a default one, so Enter never presses one.
    case ControlKind::PushButton: return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP};
    case ControlKind::Label: return {L"STATIC", SS_LEFT};
    // Drawn by the window (WM_DRAWITEM); SS_NOTIFY lets it take the mouse.
    case ControlKind::PictureBox: return {L"STATIC", SS_OWNERDRAW | SS_NOTIFY};
    // The label keeps its text and draws nothing: the window draws the text
    // on its own background, unclipped.
    case ControlKind::TransparentLabel: return {L"STATIC", SS_OWNERDRAW};
    // Scrolls sideways as the caret passes the end; the selection is hidden
    // while the box has no focus.
    case ControlKind::EditBox: return {L"EDIT", WS_BORDER | ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP};
    // Long lines wrap (no ES_AUTOHSCROLL); Enter makes a new line; the
    // selection stays visible.
    case ControlKind::MultiLineEditBox:
      return {L"EDIT", WS_BORDER | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL | WS_TABSTOP};
    case ControlKind::None: break;
  }
  return {nullptr, 0};
}

HWND MakeControl(const ControlRow& row, int index, HWND window, HINSTANCE instance) {
  ClassAndStyle made = ClassAndStyleOf(row.kind);
  if (made.className == nullptr) return nullptr;
  DWORD style = WS_CHILD | WS_VISIBLE | made.style | (row.enabled ? 0 : WS_DISABLED);
  HWND control = CreateWindowExW(0, made.className, ToWideText(row.text).c_str(), style, row.left, row.top,
                                 row.width, row.height, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index)), instance,
                                 nullptr);
  if (control == nullptr) return nullptr;
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(gFont), FALSE);
  if (row.kind == ControlKind::EditBox || row.kind == ControlKind::MultiLineEditBox)
    SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // 0: as long as the system allows
  if (row.kind == ControlKind::MultiLineEditBox) SetControlText(control, row.text);  // its lines end in CR LF
  if (row.kind == ControlKind::PictureBox)
    gStaticProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PictureBoxProcedure)));
  return control;
}

// ---- 2. The window's messages -------------------------------------------------------

// The transparent labels' texts: one line each, left-aligned and vertically
// centred in the label's rectangle, and free to run past it.
void DrawTransparentLabels(HWND window, HDC dc) {
  HGDIOBJ oldFont = SelectObject(dc, gFont);
  int oldMode = SetBkMode(dc, TRANSPARENT);
  for (std::size_t i = 0; i < Rows().size(); ++i) {
    const ControlRow& row = Rows()[i];
    if (row.kind != ControlKind::TransparentLabel) continue;
    HWND label = GetDlgItem(window, kFirstControlId + static_cast<int>(i));
    int units = GetWindowTextLengthW(label);
    if (units <= 0) continue;
    std::vector<wchar_t> text(static_cast<std::size_t>(units) + 1, L'\0');
    GetWindowTextW(label, text.data(), units + 1);
    SetTextColor(dc, RGB(row.textColour.red, row.textColour.green, row.textColour.blue));
    RECT place = {row.left, row.top, row.left + row.width, row.top + row.height};
    DrawTextW(dc, text.data(), units, &place, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
  }
  SetBkMode(dc, oldMode);
  SelectObject(dc, oldFont);
}

// The banner, unscaled from the box's top-left corner and cut at its bottom.
void DrawBanner(const DRAWITEMSTRUCT& item) {
  if (gBanner == nullptr) return;
  HDC memory = CreateCompatibleDC(item.hDC);
  HGDIOBJ old = SelectObject(memory, gBanner);
  BITMAP size = {};
  GetObjectW(gBanner, sizeof(size), &size);
  int width = item.rcItem.right - item.rcItem.left;
  int height = item.rcItem.bottom - item.rcItem.top;
  BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, size.bmWidth < width ? size.bmWidth : width,
         size.bmHeight < height ? size.bmHeight : height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      DrawTransparentLabels(window, dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (ControlKindOf(item.hwndItem) == ControlKind::PictureBox) DrawBanner(item);
      return TRUE;
    }
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        HWND control = reinterpret_cast<HWND>(lParam);
        if (const ControlRow* row = RowOf(control); row != nullptr && row->kind == ControlKind::PushButton &&
                                                    row->event != nullptr)
          row->event();
        return 0;
      }
      break;
    case WM_DESTROY:
      gMainWindow = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HWND MainWindow() { return gMainWindow; }

HWND FindControl(const char* controlName) {
  if (controlName == nullptr || gMainWindow == nullptr) return nullptr;
  for (std::size_t i = 0; i < Rows().size(); ++i)
    if (std::strcmp(Rows()[i].name, controlName) == 0)
      return GetDlgItem(gMainWindow, kFirstControlId + static_cast<int>(i));
  return nullptr;
}

ControlKind ControlKindOf(HWND control) {
  const ControlRow* row = RowOf(control);
  return row == nullptr ? ControlKind::None : row->kind;
}

HWND LoadMainWindow(HINSTANCE instance) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = MainWindowProcedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kMainWindowClass;
  if (RegisterClassExW(&windowClass) == 0) return nullptr;

  gFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  gBanner = DecodeJpeg(BannerJpeg());

  // A title bar with the system menu and the close box, a frame that cannot
  // be resized, and nothing to minimise or maximise with. Centred on the
  // screen at creation, whatever Windows would choose.
  int left = (GetSystemMetrics(SM_CXSCREEN) - kWindowOuterWidth) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - kWindowOuterHeight) / 2;
  HWND window = CreateWindowExW(0, kMainWindowClass, ToWideText(WindowCaption()).c_str(),
                                WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, left, top, kWindowOuterWidth,
                                kWindowOuterHeight, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return nullptr;
  gMainWindow = window;
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(gFont), FALSE);
  // The program's icon, in the sizes the title bar and the taskbar show.
  for (auto [which, size] : {std::pair{ICON_SMALL, SM_CXSMICON}, std::pair{ICON_BIG, SM_CXICON}}) {
    int pixels = GetSystemMetrics(size);
    HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(kProgramIcon), IMAGE_ICON, pixels, pixels, LR_DEFAULTCOLOR);
    SendMessageW(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }

  for (std::size_t i = 0; i < Rows().size(); ++i) {
    if (MakeControl(Rows()[i], static_cast<int>(i), window, instance) == nullptr) {
      DestroyWindow(window);
      return nullptr;
    }
  }

  InstallSkin();

  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  // The first control that takes the focus, in the table's order.
  SetFocus(GetNextDlgTabItem(window, nullptr, FALSE));
  return window;
}

void CloseMainWindow() {
  if (gMainWindow != nullptr) PostMessageW(gMainWindow, WM_CLOSE, 0, 0);
}

// ---- 3. The message loop ----------------------------------------------------------

int RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    bool key = message.message == WM_KEYDOWN || message.message == WM_CHAR;
    bool ours = gMainWindow != nullptr && (message.hwnd == gMainWindow || IsChild(gMainWindow, message.hwnd));
    // Esc closes from every control, the multi-line box included.
    if (ours && message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE) {
      CloseMainWindow();
      continue;
    }
    // Tab moves through the table's order. Enter and Esc are kept from the
    // dialog keys: Enter neither moves the focus nor presses a button, and in
    // 编辑框5 it makes a new line.
    bool dialogKey = !(key && (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE));
    if (ours && dialogKey && IsDialogMessageW(gMainWindow, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
