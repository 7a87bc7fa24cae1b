// A file's name as the share gave it, made into a name that every file system
// we write to accepts and that stays inside the folder it is written to.
//
//   "../../x"          => ".._.._x"      separators of both systems become "_"
//   "a/b", "a\b"       => "a_b"
//   "CON", "con.txt"   => "_CON", "_con.txt"   reserved device names on Windows
//   "a<b>:c?.txt"      => "a_b__c_.txt"  what Windows forbids in a name
//   " name. "          => "name"         Windows drops trailing dots and blanks
//   ".", "..", ""      => the link's last path segment, made safe the same way,
//                         or "download" when that is empty too
//   300 bytes          => cut to kMaxFileNameUtf8 bytes of UTF-8, never inside a
//                         character, keeping a short extension
//
// Bytes that are no character of code page 936 (a lone lead byte, 0xFF) and
// control bytes become "_". The result is code-page-936 text that is never
// empty.
#pragma once

#include "text/Text.h"

// Leaves room for " (999)" and ".part" within the 255 bytes that Linux file
// systems allow a name (and the 255 UTF-16 units of Windows).
inline constexpr int kMaxFileNameUtf8 = 200;

Text SafeFileName(const Text& fileName, const Text& link);
