// Percent-decoding and the code-page conversions, over the platform's
// MultiByteToWideChar and WideCharToMultiByte.
//
// Share pages are decoded whole, so the memory held at once matters as much as
// the speed: the decoded text is let go before the wide text is converted back,
// and FromWide fills its result as it converts, never touching the slack it
// reserves for a target code page that needs more bytes than the system one.
#include "text/PercentCodes.h"

#include <algorithm>
#include <cstring>

#include "platform/CodePages.h"

namespace {

// The digit value as the table "0123456789ABCDEF" gives it: the 1-based
// position of the upper-cased byte, minus one. A byte not in the table is at
// position -1 (value -2); a missing byte is the empty sought text, found at
// position 1 (value 0).
int DigitValue(const char* p, const char* end) {
  if (p >= end) return 0;
  unsigned char b = static_cast<unsigned char>(*p);
  if (b >= '0' && b <= '9') return b - '0';
  if (b >= 'a' && b <= 'f') return b - 'a' + 10;
  if (b >= 'A' && b <= 'F') return b - 'A' + 10;
  return -2;
}

const char16_t* Units(const Bytes& wide) { return reinterpret_cast<const char16_t*>(wide.data()); }

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

}  // namespace

Text PercentDecode(const Text& text, bool fromUtf8) {
  const char* p = text.data();
  const char* const end = p + text.size();
  ByteString decoded;
  decoded.reserve(text.size());
  while (p < end) {
    const char* percent = static_cast<const char*>(std::memchr(p, '%', static_cast<std::size_t>(end - p)));
    if (percent == nullptr) percent = end;
    decoded.append(p, static_cast<std::size_t>(percent - p));
    if (percent == end) break;
    int code = 16 * DigitValue(percent + 1, end) + DigitValue(percent + 2, end);
    char byte = static_cast<char>(code & 0xFF);
    if (byte != '\0') decoded.push_back(byte);
    p = percent + 3 < end ? percent + 3 : end;
  }
  Text result(std::move(decoded));
  if (!fromUtf8) return result;
  // Utf8ToAnsi, with the decoded text let go before the conversion back.
  Bytes wide = ToWide(result);
  result = Text();
  return FromWide(wide, 936);
}

Text Utf8ToAnsi(const Text& text) { return FromWide(ToWide(text), 936); }

Bytes ToWide(const Text& text, std::optional<int> codePage) {
  const UINT page = static_cast<UINT>(codePage.value_or(static_cast<int>(CP_UTF8)));
  // Sized under the code page that is converted from: text that is not valid
  // UTF-8 can need more units than the system code page counts for it, and a
  // buffer sized under the one would lose the whole text to the other.
  int units = MultiByteToWideChar(page, 0, text.c_str(), -1, nullptr, 0);
  if (units <= 0) return {};
  Bytes buffer(ByteString(static_cast<std::size_t>(units) * 2, '\0'));
  MultiByteToWideChar(page, 0, text.c_str(), -1, reinterpret_cast<char16_t*>(buffer.data()), units);
  return buffer;
}

Text FromWide(const Bytes& wide, std::optional<int> codePage) {
  const UINT page = static_cast<UINT>(codePage.value_or(static_cast<int>(CP_ACP)));
  const std::size_t available = wide.size() / 2;
  if (available == 0) return {};  // no units at all: no text
  const char16_t* source = Units(wide);
  std::size_t length = 0;  // units before the first zero unit, within the Bytes
  while (length < available && source[length] != 0) ++length;
  if (length > 0x7FFFFFFE) return {};

  // What the system code page needs, terminator included, and twice that as
  // the room the conversion may fill.
  const int sourceLength = static_cast<int>(length);
  const std::size_t need =
      (length == 0 ? 0 : static_cast<std::size_t>(
                             WideCharToMultiByte(CP_ACP, 0, source, sourceLength, nullptr, 0, nullptr, nullptr))) +
      1;
  const std::size_t room = need * 2;
  auto blanks = [&] { return room > 0x7FFFFFFF ? Text() : BlankText(static_cast<int>(room)); };

  // Convert in pieces into a buffer that is reserved, not filled, so the
  // slack costs no memory. Pieces never split a surrogate pair, and the result
  // is the one a single call with `room` bytes of buffer would give.
  constexpr std::size_t kPieceUnits = 8192;
  char piece[kPieceUnits * 3];
  ByteString converted;
  converted.reserve(room);
  for (std::size_t pos = 0; pos < length;) {
    std::size_t count = std::min(kPieceUnits, length - pos);
    if (pos + count < length && IsHighSurrogate(source[pos + count - 1])) --count;
    int written = WideCharToMultiByte(page, 0, source + pos, static_cast<int>(count), piece,
                                      static_cast<int>(sizeof piece), nullptr, nullptr);
    if (written <= 0 || converted.size() + static_cast<std::size_t>(written) + 1 > room) return blanks();
    converted.append(piece, static_cast<std::size_t>(written));
    pos += count;
  }
  // The terminator converts as well; a code page that cannot convert anything
  // fails on it even when there is no text before it.
  const char16_t terminator = 0;
  if (WideCharToMultiByte(page, 0, &terminator, 1, piece, 1, nullptr, nullptr) != 1) return blanks();
  return Text(std::move(converted));
}
