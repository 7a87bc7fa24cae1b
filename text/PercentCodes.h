// Text that arrives from the web made into our own text: "%" escapes decoded,
// and UTF-8 re-encoded into code page 936.
#pragma once

#include <optional>

#include "text/Text.h"

// Each "%" and the two bytes after it become the byte they spell (either case
// of a-f); every "%" consumes two bytes whatever they are, a missing byte
// counts as the digit 0, a non-digit as -2, and a zero byte is left out. With
// fromUtf8 the decoded bytes are then read as UTF-8 and given in code page 936.
//
//   "a%20b" => "a b"     "100%" => "100"    "x%4" => "x\x40"    "%00z" => "z"
//   "%zz"   => "\xDE"    "%G1"  => "\xE1"   "%%41" => "\xE4" "1"  "a+b" => "a+b"
//   "%E4%B8%AD", fromUtf8 => "\xD6\xD0" (中)
Text PercentDecode(const Text& text, bool fromUtf8 = false);

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
