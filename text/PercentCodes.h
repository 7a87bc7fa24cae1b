// Text that arrives from the web made into our own text: "%" escapes decoded,
// and UTF-8 re-encoded into code page 936.
#pragma once

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
