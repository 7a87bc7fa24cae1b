// jedata.dll, loaded by its full path as the program loads it, on a real
// window with push buttons and edit boxes: what it draws, read back as pixels
// of the window, and that it draws nothing for a file it refuses.
#include <windows.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shell/skin/SkinFile.h"

namespace {

using Attach = int (*)(const char*, const char*);

// The skin's colours (win8.palette) and the mixes the engine makes of them.
constexpr COLORREF kWindow = RGB(0xF0, 0xF0, 0xF0);
constexpr COLORREF kFace = RGB(0xE1, 0xE1, 0xE1);
constexpr COLORREF kBorder = RGB(0xAD, 0xAD, 0xAD);
constexpr COLORREF kBase = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kBlue = RGB(0x33, 0x99, 0xFF);
constexpr COLORREF kDisabledFace = RGB(0xCC, 0xCC, 0xCC);
constexpr COLORREF kDisabledText = RGB(0x83, 0x83, 0x83);
// A background of our own, plainly not the skin's.
constexpr COLORREF kPlain = RGB(0x12, 0x34, 0x56);

std::string ReadWholeFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void PutFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void Pump() {
  for (int round = 0; round < 3; ++round) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(20);
  }
}

// The client area of a top-level window as drawn, children included.
struct Capture {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, rows top down

  COLORREF At(int x, int y) const {
    std::uint32_t p = pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  bool operator==(const Capture&) const = default;
};

Capture CaptureOf(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
  GdiFlush();
  RECT client;
  GetClientRect(window, &client);
  Capture capture;
  capture.width = client.right;
  capture.height = client.bottom;
  capture.pixels.resize(static_cast<std::size_t>(capture.width) * static_cast<std::size_t>(capture.height));
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), capture.width, -capture.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC source = GetDC(window);
  HDC memory = CreateCompatibleDC(source);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, capture.width, capture.height, source, 0, 0, SRCCOPY);
  GdiFlush();
  const auto* from = static_cast<const std::uint32_t*>(bits);
  for (std::size_t i = 0; i < capture.pixels.size(); ++i) capture.pixels[i] = from[i] & 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, source);
  return capture;
}

std::string Hex(COLORREF c) {
  char text[8];
  wsprintfA(text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

// A control's rectangle in its top-level window's client coordinates.
RECT PlaceOf(HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(HWND_DESKTOP, GetAncestor(control, GA_ROOT), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The pixels of the ring `inset` pixels inside a rectangle that are not
// `expected`, as "(x,y)=#RRGGBB" (at most a few); "" when the ring is all it.
std::string RingExcept(const Capture& capture, RECT rect, int inset, COLORREF expected) {
  InflateRect(&rect, -inset, -inset);
  std::string odd;
  int found = 0;
  auto check = [&](int x, int y) {
    COLORREF c = capture.At(x, y);
    if (c != expected && found++ < 4) odd += "(" + std::to_string(x) + "," + std::to_string(y) + ")=" + Hex(c) + " ";
  };
  for (int x = rect.left; x < rect.right; ++x) check(x, rect.top), check(x, rect.bottom - 1);
  for (int y = rect.top; y < rect.bottom; ++y) check(rect.left, y), check(rect.right - 1, y);
  return odd;
}

bool Contains(const Capture& capture, RECT rect, COLORREF color) {
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      if (capture.At(x, y) == color) return true;
    }
  }
  return false;
}

LRESULT CALLBACK PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

class SkinEngineWin32Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &PlainProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = CreateSolidBrush(kPlain);
    windowClass.lpszClassName = L"SkinEngineTestWindow";
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    RegisterClassW(&windowClass);
    attach_ = reinterpret_cast<Attach>(reinterpret_cast<void*>(
        GetProcAddress(LoadLibraryA(LINKPEEL_SKIN_ENGINE), "SkinH_AttachEx")));
  }

  void SetUp() override {
    ASSERT_NE(attach_, nullptr) << "cannot load " << LINKPEEL_SKIN_ENGINE;
    window_ = CreateWindowExW(0, L"SkinEngineTestWindow", L"Skin", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                              40, 40, 400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    button_ = Child(L"Button", L"OK", WS_TABSTOP | BS_PUSHBUTTON, 20, 20, 90, 28);
    disabled_ = Child(L"Button", L"Off", WS_TABSTOP | BS_PUSHBUTTON | WS_DISABLED, 130, 20, 90, 28);
    edit_ = Child(L"Edit", L"text", WS_TABSTOP | ES_AUTOHSCROLL, 20, 70, 200, 24, WS_EX_CLIENTEDGE);
    memo_ = Child(L"Edit", L"one\r\ntwo", WS_TABSTOP | ES_MULTILINE | WS_VSCROLL, 20, 110, 200, 80, WS_EX_CLIENTEDGE);
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    SetFocus(window_);
    UpdateWindow(window_);
    Pump();
  }
  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
    Pump();
    DeleteFileA(kScratch);
  }

  HWND Child(const wchar_t* kind, const wchar_t* text, DWORD style, int x, int y, int w, int h, DWORD exStyle = 0) {
    HWND child = CreateWindowExW(exStyle, kind, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, window_, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
    return child;
  }

  // A spot of the window's own background, away from every control.
  static constexpr POINT kBackground{300, 250};
  static constexpr const char* kScratch = "skin-engine-test.she";

  static Attach attach_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HWND button_ = nullptr, disabled_ = nullptr, edit_ = nullptr, memo_ = nullptr;
};

Attach SkinEngineWin32Test::attach_ = nullptr;

// A bad file is refused before anything is drawn: whether or not a skin is
// already on, not one pixel changes.
TEST_F(SkinEngineWin32Test, WhatItRefusesLeavesTheLookAlone) {
  const std::string skin = ReadWholeFile(LINKPEEL_SKIN_FILE);
  ASSERT_EQ(skin.substr(0, 4), ".SHE");
  std::string flipped = skin;
  flipped[flipped.size() / 2] ^= 0x20;
  struct Row {
    const char* name;
    std::string bytes;
    int expected;
  } rows[] = {
      {"empty", "", 3},
      {"cut in half", skin.substr(0, skin.size() / 2), 3},
      {"one byte changed", flipped, 3},
      {"a library, not a skin", ReadWholeFile(LINKPEEL_SKIN_ENGINE), 3},
      {"an unknown palette role", PackSkinFile({{"PALT", "Windw #F0F0F0\n"}}), 3},
      {"a colour that is no colour", PackSkinFile({{"PALT", "Window #F0F0FG\n"}}), 3},
      {"an unknown base style", PackSkinFile({{"STYL", "NoSuchStyle"}, {"PALT", "Window #F0F0F0\n"}}), 3},
  };
  const Capture before = CaptureOf(window_);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PutFile(kScratch, row.bytes);
    EXPECT_EQ(attach_(kScratch, ""), row.expected);
    EXPECT_TRUE(CaptureOf(window_) == before);
  }
  CreateDirectoryA("skin-engine-test-folder", nullptr);
  struct Unreadable {
    const char* path;
    int expected;
  } unreadable[] = {{"C:\\no\\such\\folder\\win8.she", 2}, {"", 2}, {"skin-engine-test-folder", 2}, {nullptr, 1}};
  for (const Unreadable& row : unreadable) {
    SCOPED_TRACE(row.path != nullptr ? row.path : "(null)");
    EXPECT_EQ(attach_(row.path, ""), row.expected);
    EXPECT_TRUE(CaptureOf(window_) == before);
  }
  RemoveDirectoryA("skin-engine-test-folder");
}

TEST_F(SkinEngineWin32Test, GivesTheWindowsThereTheFlatLook) {
  const Capture before = CaptureOf(window_);
  ASSERT_EQ(attach_(LINKPEEL_SKIN_FILE, "any password"), 0);
  const Capture after = CaptureOf(window_);
  EXPECT_FALSE(after == before);

  EXPECT_EQ(Hex(after.At(kBackground.x, kBackground.y)), Hex(kWindow));
  // A one-pixel border, and inside it one flat colour: no bevel, no shade.
  RECT button = PlaceOf(button_);
  EXPECT_EQ(RingExcept(after, button, 0, kBorder), "");
  EXPECT_EQ(RingExcept(after, button, 1, kFace), "");
  EXPECT_EQ(RingExcept(after, button, 2, kFace), "");
  EXPECT_TRUE(Contains(after, button, RGB(0, 0, 0))) << "the caption, in ButtonText";

  RECT disabled = PlaceOf(disabled_);
  EXPECT_EQ(RingExcept(after, disabled, 1, kDisabledFace), "");
  EXPECT_TRUE(Contains(after, disabled, kDisabledText)) << "grey text";
  EXPECT_FALSE(Contains(after, disabled, RGB(0, 0, 0)));
  EXPECT_NE(after.At(disabled.left, disabled.top), kDisabledFace) << "a border";

  // The sunken client edge becomes a flat line on the edit's own white.
  for (HWND edit : {edit_, memo_}) {
    RECT rect = PlaceOf(edit);
    EXPECT_EQ(RingExcept(after, rect, 0, kBorder), "");
    EXPECT_EQ(RingExcept(after, rect, 1, kBase), "");
  }
}

TEST_F(SkinEngineWin32Test, HoverPressAndFocusAreBlue) {
  ASSERT_EQ(attach_(LINKPEEL_SKIN_FILE, ""), 0);
  RECT button = PlaceOf(button_);
  RECT screen;
  GetWindowRect(button_, &screen);

  SetCursorPos((screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2);
  SendMessageW(button_, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
  Capture hot = CaptureOf(window_);
  EXPECT_EQ(RingExcept(hot, button, 0, kBlue), "");
  COLORREF hotFace = hot.At(button.left + 1, button.top + 1);
  EXPECT_NE(hotFace, kFace);
  EXPECT_GT(GetBValue(hotFace), GetRValue(hotFace)) << "a light blue: " << Hex(hotFace);
  EXPECT_EQ(RingExcept(hot, button, 1, hotFace), "") << "flat under the mouse too";

  SendMessageW(button_, BM_SETSTATE, TRUE, 0);
  Capture pressed = CaptureOf(window_);
  COLORREF pressedFace = pressed.At(button.left + 1, button.top + 1);
  EXPECT_EQ(RingExcept(pressed, button, 0, kBlue), "");
  EXPECT_LT(GetRValue(pressedFace), GetRValue(hotFace)) << "deeper when pressed: " << Hex(pressedFace);
  SendMessageW(button_, BM_SETSTATE, FALSE, 0);

  // The mouse goes: the leave that TrackMouseEvent asked for brings it back.
  SetCursorPos(5, 5);
  SendMessageW(button_, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(RingExcept(CaptureOf(window_), button, 0, kBorder), "");

  SetFocus(button_);
  Capture focused = CaptureOf(window_);
  EXPECT_EQ(RingExcept(focused, button, 0, kBlue), "");
  EXPECT_EQ(RingExcept(focused, button, 1, kFace), "");

  for (HWND edit : {edit_, memo_}) {
    SetFocus(edit);
    Capture typing = CaptureOf(window_);
    EXPECT_EQ(RingExcept(typing, PlaceOf(edit), 0, kBlue), "");
    EXPECT_EQ(RingExcept(typing, button, 0, kBorder), "") << "the button lost the focus";
  }
}

TEST_F(SkinEngineWin32Test, WindowsMadeAfterwardsTakeTheLook) {
  ASSERT_EQ(attach_(LINKPEEL_SKIN_FILE, ""), 0);
  HWND later = Child(L"Button", L"Later", BS_PUSHBUTTON, 240, 20, 90, 28);
  HWND laterEdit = Child(L"Edit", L"", ES_AUTOHSCROLL, 240, 70, 120, 24, WS_EX_CLIENTEDGE);
  Capture after = CaptureOf(window_);
  EXPECT_EQ(RingExcept(after, PlaceOf(later), 0, kBorder), "");
  EXPECT_EQ(RingExcept(after, PlaceOf(later), 1, kFace), "");
  EXPECT_EQ(RingExcept(after, PlaceOf(laterEdit), 0, kBorder), "");

  // A new window, from a class with a background of its own.
  HWND second = CreateWindowExW(0, L"SkinEngineTestWindow", L"Second", WS_OVERLAPPED | WS_CAPTION, 60, 60, 200, 150,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ShowWindow(second, SW_SHOWNORMAL);
  UpdateWindow(second);
  EXPECT_EQ(Hex(CaptureOf(second).At(100, 60)), Hex(kWindow));
  DestroyWindow(second);
}

}  // namespace
