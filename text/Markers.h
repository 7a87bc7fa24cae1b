// Cutting values out of larger texts by fixed markers: every value the program
// takes from the web is read this way, never by parsing HTML, JSON or headers.
#pragma once

#include "text/Text.h"

// The text between the first `startMarker` at or after `startPos` and the next
// `endMarker` after it; empty when either is missing. In both markers the
// placeholder "#引号" (23 D2 FD BA C5) stands for a double quote. startPos and
// ignoreCase go to FindText as they are (0 and 1 both mean the first byte).
//
//   "a[b]c", "[", "]"     => "b"        "]x[y]", "[", "]"  => "y"
//   "[a][b]", "[", "]", 2 => "b"        "a[b", "[", "]"    => ""
//   "ab]c]", "", "]"      => "ab"       any text, "[", ""  => ""
Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker, int startPos = 0,
                 bool ignoreCase = false);

// What follows the first colon of a header line, trimmed of spaces (ASCII and
// full-width; tabs, CR and LF stay). No colon => "".
//
//   "Location:  /s/abc  " => "/s/abc"    "Host: a:80" => "a:80"    "Name:\tv " => "\tv"
Text HeaderValue(const Text& line);
