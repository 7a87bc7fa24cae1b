// Code-page conversions of our text, over the platform's MultiByteToWideChar
// and WideCharToMultiByte: UTF-8 from the web and the terminal into code page
// 936, and text to and from UTF-16 for the window's controls and the file
// system.
#pragma once

#include <optional>

#include "text/Text.h"

// UTF-8 bytes to code page 936: FromWide(ToWide(text), 936). Invalid UTF-8 is
// replaced as the platform replaces it; the rest is converted.
Text Utf8ToAnsi(const Text& text);

// A wide text is UTF-16LE units in a Bytes: the text, its zero unit, and
// possibly more zero bytes.
//
// Code page 0, the system's code page, is 936 on every system: our text is
// 936 text, and the bytes must not change with the system's language.
//
// ToWide converts from `codePage`, or from UTF-8 (65001) when it is left out.
// What cannot be converted gives zero units.
//   "abc" => 61 00 62 00 63 00 00 00
Bytes ToWide(const Text& text, std::optional<int> codePage = std::nullopt);

// FromWide converts the units up to the first zero unit (never past the end
// of `wide`) to `codePage`, or to 936 when it is left out. When the conversion
// fails the answer is blanks: twice the bytes that 936 would need, terminator
// included.
Text FromWide(const Bytes& wide, std::optional<int> codePage = std::nullopt);
