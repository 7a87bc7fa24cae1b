// Text for the host, inside the platform folder only: the host names files
// and shows messages in UTF-8, and our text is code-page-936 or UTF-16.
//
// Each conversion asks for the size, allocates, converts, through the
// platform's own MultiByteToWideChar and WideCharToMultiByte. Plain std
// strings on purpose: the message box runs these on the fatal path, where
// our own allocation has just failed.
//
//   null, or what does not convert  => ""
//   ASCII                           => the same bytes
//   D6 D0 (code page 936)           => E4 B8 AD
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/CodePages.h"

inline std::u16string WideOf(LPCSTR text, UINT codePage) {
  if (text == nullptr) return {};
  int units = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  if (units <= 0) return {};
  std::u16string wide(static_cast<std::size_t>(units), u'\0');
  if (MultiByteToWideChar(codePage, 0, text, -1, wide.data(), units) != units) return {};
  wide.resize(static_cast<std::size_t>(units) - 1);  // the terminator was converted and counted
  return wide;
}

inline std::string Utf8Of(LPCWSTR wide) {
  if (wide == nullptr) return {};
  int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  if (WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), bytes, nullptr, nullptr) != bytes) return {};
  utf8.resize(static_cast<std::size_t>(bytes) - 1);
  return utf8;
}

inline std::string Utf8Of(LPCSTR cp936) {
  if (cp936 == nullptr) return {};
  std::string_view source(cp936);
  if (std::none_of(source.begin(), source.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
    return std::string(source);
  }
  return Utf8Of(WideOf(cp936, 936).c_str());
}
