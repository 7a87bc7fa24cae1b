// Text, Bytes and TextList: the three value types that every routine of the
// program is written in, and their primitives.
//
//   Text      code-page-936 bytes that never hold a zero byte. The empty Text
//             and an absent one are the same value (default construction).
//             Positions are byte positions counted from 1. A byte 0x80-0xFF
//             starts a two-byte character, and the searching and transforming
//             primitives step over such characters as pairs.
//   Bytes     a length-counted byte string that may hold zero bytes.
//   TextList  an ordered list of Text, positions counted from 1.
//
// Every primitive leaves its arguments alone and returns a new value. Failures
// are empty values; searches answer -1. Out-of-range counts and positions are
// clamped. The one abort is the fatal run-time error (Fatal.h), raised when
// memory for a new value cannot be had and for a list index out of range.
//
// Chinese literals: source files are UTF-8, and a literal that is to be a
// Text is written with the _cp936 suffix ("文件名"_cp936), which converts it
// once, at the literal, into its code-page-936 bytes.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/Allocator.h"

using ByteString = std::basic_string<char, std::char_traits<char>, CheckedAllocator<char>>;

class Text {
 public:
  Text() = default;
  // Each constructor keeps the bytes up to the first zero byte, so a Text
  // never holds one whatever it is made from.
  Text(const char* s);  // NOLINT(google-explicit-constructor): literals are Text
  Text(const char* data, std::size_t size);
  Text(std::string_view bytes);  // NOLINT(google-explicit-constructor)
  explicit Text(ByteString&& bytes);

  const char* c_str() const { return bytes_.c_str(); }
  const char* data() const { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }
  std::string_view view() const { return {bytes_.data(), bytes_.size()}; }
  operator std::string_view() const { return view(); }  // NOLINT(google-explicit-constructor)

  friend bool operator==(const Text& a, const Text& b) { return a.view() == b.view(); }

 private:
  ByteString bytes_;
};

class Bytes {
 public:
  Bytes() = default;
  Bytes(const void* data, std::size_t size);
  explicit Bytes(std::string_view bytes);
  explicit Bytes(ByteString&& bytes) : bytes_(std::move(bytes)) {}

  const char* data() const { return bytes_.data(); }
  char* data() { return bytes_.data(); }  // for buffers filled in place by platform calls
  std::size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }
  std::string_view view() const { return {bytes_.data(), bytes_.size()}; }

  friend bool operator==(const Bytes& a, const Bytes& b) { return a.view() == b.view(); }

  // Hands the storage over; the Bytes is left empty.
  ByteString Release() && { return std::move(bytes_); }

 private:
  ByteString bytes_;
};

using TextList = std::vector<Text, CheckedAllocator<Text>>;

// The one conversion point for literals (see above).
Text operator""_cp936(const char* utf8, std::size_t size);

// ---- Texts -----------------------------------------------------------------

int TextLength(const Text& text);
Text LeftText(const Text& text, int n);                      // "abc",5 => "abc"; n <= 0 => ""
Text RightText(const Text& text, int n);                     // "abc",2 => "bc"
Text MidText(const Text& text, int startPos, int n);         // "abc",2,5 => "bc"; 4,1 => ""; 0,2 => ""
Text CharFromCode(int code);                                 // low eight bits; 0 => ""; 321 => "A"
Text BlankText(int n);                                       // n spaces; n <= 0 => ""
Text ConcatText(std::initializer_list<std::string_view> parts);
template <class... Parts>
Text ConcatText(const Parts&... parts) {
  return ConcatText({std::string_view(parts)...});
}
int CompareText(const Text& a, const Text& b);               // unsigned bytes; 0 when equal

// ---- Searching ---------------------------------------------------------------
//
//   FindText("abcabc", "c")      => 3      FindText("abcabc", "c", 4) => 6
//   FindText("abc", "")          => 1      FindText("abc", "", 4)     => -1
//   FindText("\xD6\xD0" "A", "\xD0" "A") => -1   (position 2 is a second byte)
//   FindTextReverse("a.bb.ccc", ".") => 5  FindTextReverse("a.bb.ccc", ".", 5) => 2

int FindText(const Text& text, const Text& sought, int startPos = 1, bool ignoreCase = false);
int FindTextReverse(const Text& text, const Text& sought, std::optional<int> startPos = std::nullopt,
                    bool ignoreCase = false);

// ---- Transforming ------------------------------------------------------------

Text ToUpperText(const Text& text);
Text ToLowerText(const Text& text);
Text TrimSpaces(const Text& text);                           // " \ta  " => "\ta"; A1 A1 is a space
Text RemoveSpaces(const Text& text);
// count: left out or negative => every occurrence; 0 => unchanged.
Text ReplaceText(const Text& text, const Text& sought, const Text& replacement = {}, int startPos = 1,
                 int count = -1, bool caseSensitive = false);
int TextToInt(const Text& text);                             // "  -12abc" => -12; "4294967297" => 1

// ---- Lists -------------------------------------------------------------------
//
//   SplitText("a;b;;c;", ";") => {a, b, "", c}     SplitText(";", ";") => {""}
//   SplitText("a,b,c", ",", 2) => {a, b}           SplitText("") => {}

TextList SplitText(const Text& text, const Text& separator = ",", std::optional<int> maxItems = std::nullopt);
int ListCount(const TextList& list);
const Text& ListItem(const TextList& list, int index);       // out of range: fatal error 4 or 1
void ListAppend(TextList& list, const Text& text);

// ---- Bytes -------------------------------------------------------------------

int BytesLength(const Bytes& data);
Bytes BytesLeft(const Bytes& data, int n);
Bytes BlankBytes(int n);                                     // n zero bytes
Bytes ConcatBytes(std::initializer_list<std::string_view> parts);
template <class... Parts>
Bytes ConcatBytes(const Parts&... parts) {
  return ConcatBytes({parts.view()...});
}
int CompareBytes(const Bytes& a, const Bytes& b);
Bytes TextToBytes(const Text& text);
Text BytesToText(const Bytes& data);                         // up to the first zero byte
Text BytesToText(Bytes&& data);  // the same, taking over the storage: a page is not copied

// ---- Files and integers --------------------------------------------------------

// Writes the parts in order into `path`, replacing the file, with no sharing
// while it is open. false for an empty path, a file that cannot be opened, or
// a failed write or close (what was written stays).
bool WriteBytesToFile(const Text& path, std::initializer_list<const Bytes*> parts);
template <class... Parts>
bool WriteBytesToFile(const Text& path, const Parts&... parts) {
  return WriteBytesToFile(path, {&parts...});
}

template <class... Ints>
int BitOr(int first, Ints... rest) {
  return (first | ... | rest);
}
