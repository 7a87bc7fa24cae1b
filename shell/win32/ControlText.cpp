#include "shell/win32/ControlText.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "shell/win32/MainWindow.h"
#include "text/CodePageText.h"

std::wstring ToWideText(const Text& text) {
  Bytes wide = ToWide(text, 936);  // UTF-16 with its terminator
  std::wstring units(wide.size() / sizeof(wchar_t), L'\0');
  std::memcpy(units.data(), wide.data(), units.size() * sizeof(wchar_t));
  units.resize(units.find(L'\0') == std::wstring::npos ? units.size() : units.find(L'\0'));
  return units;
}

Text FromWideText(const wchar_t* text) {
  std::size_t units = text == nullptr ? 0 : wcslen(text);
  return FromWide(Bytes(text == nullptr ? L"" : text, (units + 1) * sizeof(wchar_t)), 936);
}

Text GetControlText(HWND control) {
  if (control == nullptr || ControlKindOf(control) == ControlKind::PictureBox) return {};
  int units = GetWindowTextLengthW(control);
  std::vector<wchar_t> text(static_cast<std::size_t>(units > 0 ? units : 0) + 1, L'\0');
  GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
  return FromWideText(text.data());
}

void SetControlText(HWND control, const Text& text) {
  ControlKind kind = ControlKindOf(control);
  if (kind == ControlKind::None || kind == ControlKind::PictureBox) return;
  std::wstring shown = ToWideText(text);
  if (kind == ControlKind::MultiLineEditBox) {
    std::wstring lines;
    lines.reserve(shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
      if (shown[i] == L'\n' && (i == 0 || shown[i - 1] != L'\r')) lines += L'\r';
      lines += shown[i];
    }
    shown.swap(lines);
  }
  SetWindowTextW(control, shown.c_str());
  // A transparent label's text is drawn by the window, and may reach past the
  // label: the window repaints, old text and all, not the label.
  if (kind == ControlKind::TransparentLabel) InvalidateRect(GetParent(control), nullptr, TRUE);
}

Text GetControlText(const char* controlName) { return GetControlText(FindControl(controlName)); }

void SetControlText(const char* controlName, const Text& text) {
  SetControlText(FindControl(controlName), text);
}
