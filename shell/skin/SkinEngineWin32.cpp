// Our skin engine on Windows: jedata.dll, with one operation,
//
//   extern "C" int SkinH_AttachEx(const char* skinPath, const char* password)
//
// which reads a .she skin file (SkinFile.h, its palette through SkinPalette.h)
// and from then on gives the calling thread's windows a flat, light look:
//
//   push buttons   flat and square, a one-pixel border; blue border and a
//                  light blue fill under the mouse, a deeper fill pressed, a
//                  blue border with the focus; grey text when disabled
//   edit boxes     a flat one-pixel border in place of the sunken edge, blue
//                  with the focus
//   captioned      the skin's Window colour as background, given also to the
//   windows        controls that ask their parent for one and get the
//                  system's default (statics draw themselves)
//
// It works as such engines do: a WH_CBT hook on the thread subclasses each
// window as it is created, the windows already there are subclassed when the
// skin is attached, and the subclass procedures paint the buttons' faces and
// the edits' frames themselves. The program's window code draws no skin.
//
// The path is code-page bytes, opened as CreateFileA opens them (as the
// program writes the file). Our skins are not sealed: the password is not
// used. The look changes only when the whole file has been read and checked;
// a missing, damaged or foreign file leaves it as it was. Results, as on
// Linux:
//   0 attached   1 bad arguments   2 no file to read   3 not a skin of ours
//   4 the thread's windows cannot be hooked
//
// Colours: the hover and pressed fills are the palette's
// Highlight mixed into Base; roles the palette lacks keep the system's.
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/skin/SkinFile.h"
#include "shell/skin/SkinPalette.h"

namespace {

constexpr DWORD kLargestSkin = 1 << 20;
constexpr const wchar_t* kSkinnedProperty = L"Linkpeel.Skinned";

// ---- The look ---------------------------------------------------------------

struct Look {
  COLORREF window, windowText, base, text;
  COLORREF face, faceText, border, highlight, hotFace, pressedFace;
  COLORREF disabledFace, disabledText, disabledBorder;
};

COLORREF Mix(COLORREF over, COLORREF under, int percent) {
  auto channel = [&](int shift) {
    int a = (over >> shift) & 0xFF, b = (under >> shift) & 0xFF;
    return static_cast<COLORREF>((a * percent + b * (100 - percent) + 50) / 100) << shift;
  };
  return channel(0) | channel(8) | channel(16);
}

Look LookOf(const SkinPalette& palette) {
  auto color = [&](SkinColorGroup group, const char* role, int systemColor) {
    std::optional<SkinColor> c = SkinPaletteColor(palette, group, role);
    return c ? RGB(c->red, c->green, c->blue) : GetSysColor(systemColor);
  };
  using G = SkinColorGroup;
  Look look{};
  look.window = color(G::kActive, "Window", COLOR_3DFACE);
  look.windowText = color(G::kActive, "WindowText", COLOR_WINDOWTEXT);
  look.base = color(G::kActive, "Base", COLOR_WINDOW);
  look.text = color(G::kActive, "Text", COLOR_WINDOWTEXT);
  look.face = color(G::kActive, "Button", COLOR_BTNFACE);
  look.faceText = color(G::kActive, "ButtonText", COLOR_BTNTEXT);
  look.border = color(G::kActive, "Mid", COLOR_BTNSHADOW);
  look.highlight = color(G::kActive, "Highlight", COLOR_HIGHLIGHT);
  look.hotFace = Mix(look.highlight, look.base, 12);
  look.pressedFace = Mix(look.highlight, look.base, 25);
  look.disabledFace = color(G::kDisabled, "Button", COLOR_BTNFACE);
  look.disabledText = color(G::kDisabled, "ButtonText", COLOR_GRAYTEXT);
  look.disabledBorder = Mix(color(G::kDisabled, "Mid", COLOR_BTNSHADOW), look.disabledFace, 60);
  return look;
}

// Read by the subclass procedures on the threads that attached; written only
// while attaching, under the lock.
std::mutex attachLock;
Look look;
HBRUSH windowBrush = nullptr;
HBRUSH baseBrush = nullptr;
std::vector<std::pair<DWORD, HHOOK>> hooks;  // one per thread that attached

void FillWith(HDC dc, const RECT& rect, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

void FrameWith(HDC dc, const RECT& rect, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FrameRect(dc, &rect, brush);
  DeleteObject(brush);
}

// ---- Subclassing ------------------------------------------------------------

enum class Kind { kButton, kEdit, kFrame };

struct Skinned {
  Kind kind;
  bool unicode;  // the window's own character set, kept for its procedure
  WNDPROC original = nullptr;
  bool hot = false;
};

LRESULT CallOriginal(const Skinned& skinned, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return skinned.unicode ? CallWindowProcW(skinned.original, window, message, wParam, lParam)
                         : CallWindowProcA(skinned.original, window, message, wParam, lParam);
}

bool IsClass(HWND window, const wchar_t* name) {
  wchar_t buffer[32];
  return GetClassNameW(window, buffer, 32) > 0 && lstrcmpiW(buffer, name) == 0;
}

std::optional<Kind> KindOf(HWND window, LONG style) {
  if (IsClass(window, L"Button")) {
    LONG type = style & BS_TYPEMASK;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) return Kind::kButton;
    return std::nullopt;  // check boxes, radio buttons, group boxes, owner-drawn ones
  }
  if (IsClass(window, L"Edit")) return Kind::kEdit;
  // Menus, tool tips and drop-down lists are top-level too, but have no caption.
  if ((style & WS_CHILD) == 0 && (style & WS_CAPTION) == WS_CAPTION) return Kind::kFrame;
  return std::nullopt;
}

LRESULT CALLBACK SkinnedProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void Subclass(HWND window, LONG style) {
  if (GetPropW(window, kSkinnedProperty) != nullptr) return;
  std::optional<Kind> kind = KindOf(window, style);
  if (!kind) return;
  auto* skinned = new Skinned{*kind, IsWindowUnicode(window) != FALSE};
  auto procedure = reinterpret_cast<LONG_PTR>(&SkinnedProcedure);
  if (!SetPropW(window, kSkinnedProperty, skinned)) {
    delete skinned;
    return;
  }
  skinned->original = reinterpret_cast<WNDPROC>(skinned->unicode ? SetWindowLongPtrW(window, GWLP_WNDPROC, procedure)
                                                                 : SetWindowLongPtrA(window, GWLP_WNDPROC, procedure));
  if (skinned->original == nullptr) {
    RemovePropW(window, kSkinnedProperty);
    delete skinned;
  }
}

// ---- Push buttons -----------------------------------------------------------

void PaintButton(HWND window, HDC dc) {
  RECT rect;
  GetClientRect(window, &rect);
  LONG style = GetWindowLongW(window, GWL_STYLE);
  bool enabled = IsWindowEnabled(window) != FALSE;
  bool pressed = (SendMessageW(window, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
  bool focused = GetFocus() == window;
  auto* skinned = static_cast<Skinned*>(GetPropW(window, kSkinnedProperty));
  bool hot = skinned != nullptr && skinned->hot;

  COLORREF face = look.face, border = look.border, text = look.faceText;
  if (!enabled) {
    face = look.disabledFace, border = look.disabledBorder, text = look.disabledText;
  } else if (pressed) {
    face = look.pressedFace, border = look.highlight;
  } else if (hot) {
    face = look.hotFace, border = look.highlight;
  } else if (focused) {
    border = look.highlight;
  }
  FillWith(dc, rect, face);
  FrameWith(dc, rect, border);

  std::wstring caption(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  caption.resize(static_cast<std::size_t>(GetWindowTextW(window, caption.data(), static_cast<int>(caption.size()))));
  auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
  HGDIOBJ oldFont = SelectObject(dc, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
  SetTextColor(dc, text);
  SetBkMode(dc, TRANSPARENT);
  UINT format = DT_VCENTER | DT_SINGLELINE;
  if ((style & BS_MULTILINE) != 0) format = DT_WORDBREAK;
  switch (style & BS_CENTER) {
    case BS_LEFT: format |= DT_LEFT; break;
    case BS_RIGHT: format |= DT_RIGHT; break;
    default: format |= DT_CENTER; break;
  }
  if ((SendMessageW(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) != 0) format |= DT_HIDEPREFIX;
  RECT textRect = rect;
  InflateRect(&textRect, -3, -2);
  if ((style & BS_MULTILINE) != 0) {
    // Word-wrapped text is centred by hand: DT_VCENTER is for one line only.
    RECT measured = textRect;
    int height = DrawTextW(dc, caption.c_str(), -1, &measured, format | DT_CALCRECT);
    textRect.top += (textRect.bottom - textRect.top - height) / 2;
  }
  DrawTextW(dc, caption.c_str(), -1, &textRect, format);
  SelectObject(dc, oldFont);
}

void RepaintButton(HWND window) {
  if (!IsWindowVisible(window)) return;
  HDC dc = GetDC(window);
  if (dc == nullptr) return;
  PaintButton(window, dc);
  ReleaseDC(window, dc);
}

// The button control paints itself at once on these, not through WM_PAINT:
// its face is painted over straight after.
bool ButtonPaintsOn(UINT message) {
  switch (message) {
    case WM_SETTEXT: case WM_ENABLE: case WM_SETFOCUS: case WM_KILLFOCUS: case WM_SETFONT:
    case BM_SETSTATE: case BM_SETSTYLE: case BM_SETCHECK: case BM_CLICK:
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: case WM_MOUSEMOVE:
    case WM_KEYDOWN: case WM_KEYUP: case WM_SYSKEYUP: case WM_CAPTURECHANGED: case WM_CANCELMODE:
    case WM_UPDATEUISTATE: case WM_SYSCOLORCHANGE:
      return true;
    default:
      return false;
  }
}

LRESULT ButtonProcedure(Skinned& skinned, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (dc != nullptr) PaintButton(window, dc);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintButton(window, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the face covers it all
    case WM_MOUSEMOVE:
      if (!skinned.hot) {
        skinned.hot = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
      }
      break;
    case WM_MOUSELEAVE:
      skinned.hot = false;
      RepaintButton(window);
      break;
    default:
      break;
  }
  LRESULT result = CallOriginal(skinned, window, message, wParam, lParam);
  if (ButtonPaintsOn(message)) RepaintButton(window);
  return result;
}

// ---- Edit boxes -------------------------------------------------------------

// The frame is whatever lies between the window's edge and its client area's
// top-left corner (a client edge, a border); the scroll bars inside it stay
// the control's.
void PaintEditFrame(HWND window, HDC given) {
  RECT outer, client;
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  int thickness = static_cast<int>(std::min(origin.x - outer.left, origin.y - outer.top));
  if (thickness <= 0) return;
  OffsetRect(&outer, -outer.left, -outer.top);

  HDC dc = given != nullptr ? given : GetWindowDC(window);
  if (dc == nullptr) return;
  int saved = SaveDC(dc);
  bool enabled = IsWindowEnabled(window) != FALSE;
  COLORREF border = !enabled ? look.disabledBorder : GetFocus() == window ? look.highlight : look.border;
  FrameWith(dc, outer, border);
  // The rest of the frame takes the edit's own background, which its parent
  // gives: read-only and disabled edits ask as statics do.
  bool readOnly = (GetWindowLongW(window, GWL_STYLE) & ES_READONLY) != 0;
  UINT ask = (!enabled || readOnly) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
  auto background = reinterpret_cast<HBRUSH>(
      SendMessageW(GetParent(window), ask, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(window)));
  if (background == nullptr) background = enabled ? baseBrush : windowBrush;
  for (int ring = 1; ring < thickness; ++ring) {
    RECT inner = outer;
    InflateRect(&inner, -ring, -ring);
    FrameRect(dc, &inner, background);
  }
  RestoreDC(dc, saved);
  if (given == nullptr) ReleaseDC(window, dc);
}

LRESULT EditProcedure(Skinned& skinned, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = CallOriginal(skinned, window, message, wParam, lParam);
  switch (message) {
    case WM_NCPAINT: case WM_SETFOCUS: case WM_KILLFOCUS: case WM_ENABLE: case WM_STYLECHANGED:
      if (IsWindowVisible(window)) PaintEditFrame(window, nullptr);
      break;
    case WM_PRINT:
      if ((lParam & PRF_NONCLIENT) != 0) PaintEditFrame(window, reinterpret_cast<HDC>(wParam));
      break;
    default:
      break;
  }
  return result;
}

// ---- Captioned windows ------------------------------------------------------

LRESULT FrameProcedure(Skinned& skinned, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT rect;
      GetClientRect(window, &rect);
      FillRect(reinterpret_cast<HDC>(wParam), &rect, windowBrush);
      return 1;
    }
    case WM_CTLCOLORSTATIC: case WM_CTLCOLORBTN: case WM_CTLCOLORDLG: case WM_CTLCOLOREDIT: {
      // The window's own answer stands; only the system's default gives way.
      LRESULT answer = CallOriginal(skinned, window, message, wParam, lParam);
      bool edit = message == WM_CTLCOLOREDIT;
      auto systemDefault = reinterpret_cast<LRESULT>(GetSysColorBrush(edit ? COLOR_WINDOW : COLOR_3DFACE));
      if (answer != systemDefault) return answer;
      auto dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, edit ? look.text : look.windowText);
      SetBkColor(dc, edit ? look.base : look.window);
      return reinterpret_cast<LRESULT>(edit ? baseBrush : windowBrush);
    }
    default:
      return CallOriginal(skinned, window, message, wParam, lParam);
  }
}

LRESULT CALLBACK SkinnedProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* skinned = static_cast<Skinned*>(GetPropW(window, kSkinnedProperty));
  if (skinned == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // The window goes: its own procedure back, then the last message.
    Skinned last = *skinned;
    if (last.unicode) {
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(last.original));
    } else {
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(last.original));
    }
    RemovePropW(window, kSkinnedProperty);
    delete skinned;
    return CallOriginal(last, window, message, wParam, lParam);
  }
  switch (skinned->kind) {
    case Kind::kButton: return ButtonProcedure(*skinned, window, message, wParam, lParam);
    case Kind::kEdit: return EditProcedure(*skinned, window, message, wParam, lParam);
    case Kind::kFrame: return FrameProcedure(*skinned, window, message, wParam, lParam);
  }
  return CallOriginal(*skinned, window, message, wParam, lParam);
}

// ---- The hook and the windows already there ---------------------------------

LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND) {
    const CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
    Subclass(reinterpret_cast<HWND>(wParam), create->style);
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

BOOL CALLBACK SkinChild(HWND window, LPARAM) {
  Subclass(window, GetWindowLongW(window, GWL_STYLE));
  return TRUE;
}

BOOL CALLBACK SkinTopLevel(HWND window, LPARAM) {
  Subclass(window, GetWindowLongW(window, GWL_STYLE));
  EnumChildWindows(window, &SkinChild, 0);  // every descendant, not children alone
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  return TRUE;
}

bool HookThisThread() {
  DWORD thread = GetCurrentThreadId();
  for (const auto& [id, hook] : hooks) {
    if (id == thread) return true;
  }
  HHOOK hook = SetWindowsHookExW(WH_CBT, &CreationHook, nullptr, thread);
  if (hook == nullptr) return false;
  hooks.emplace_back(thread, hook);
  return true;
}

// ---- The skin file ----------------------------------------------------------

enum class Read { kRead, kNoFile, kNotSkin };

Read ReadWholeFile(const char* path, std::string& bytes) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Read::kNoFile;
  LARGE_INTEGER size{};
  Read result = Read::kNotSkin;
  if (GetFileSizeEx(file, &size) && size.QuadPart <= kLargestSkin) {
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (bytes.empty() ||
        (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size())) {
      result = Read::kRead;
    }
  }
  CloseHandle(file);
  return result;
}

// The styles the Qt engine builds on; we draw the same flat look over either.
bool IsKnownStyle(std::string_view name) {
  return name.empty() || lstrcmpiA(std::string(name).c_str(), "Fusion") == 0 ||
         lstrcmpiA(std::string(name).c_str(), "Windows") == 0;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\r' || text.front() == '\n')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n')) {
    text.remove_suffix(1);
  }
  return text;
}

std::optional<SkinPalette> ReadSkin(const std::string& bytes) {
  std::optional<std::vector<SkinSection>> sections = UnpackSkinFile(bytes);
  if (!sections) return std::nullopt;
  std::string_view paletteText, styleName;
  for (const SkinSection& section : *sections) {
    if (section.tag == "PALT") paletteText = section.payload;
    if (section.tag == "STYL") styleName = Trimmed(section.payload);
  }
  if (!IsKnownStyle(styleName)) return std::nullopt;
  return ReadSkinPalette(paletteText);
}

}  // namespace

extern "C" __declspec(dllexport) int SkinH_AttachEx(const char* skinPath, const char* password) {
  (void)password;
  if (skinPath == nullptr) return 1;
  std::string bytes;
  switch (ReadWholeFile(skinPath, bytes)) {
    case Read::kNoFile: return 2;
    case Read::kNotSkin: return 3;
    case Read::kRead: break;
  }
  std::optional<SkinPalette> palette = ReadSkin(bytes);
  if (!palette) return 3;

  {
    std::lock_guard<std::mutex> lock(attachLock);
    if (!HookThisThread()) return 4;
    // Windows keep pointers to our procedures until they are destroyed: the
    // library stays loaded for the rest of the process.
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&SkinH_AttachEx), &self);
    look = LookOf(*palette);
    HBRUSH oldWindow = windowBrush, oldBase = baseBrush;
    windowBrush = CreateSolidBrush(look.window);
    baseBrush = CreateSolidBrush(look.base);
    if (oldWindow != nullptr) DeleteObject(oldWindow);
    if (oldBase != nullptr) DeleteObject(oldBase);
  }
  EnumThreadWindows(GetCurrentThreadId(), &SkinTopLevel, 0);
  return 0;
}
