// Percent-decoding and the code-page conversions (text/CodePageText.h), in
// one file because both use the piecewise UTF-8 converter; over the platform's
// MultiByteToWideChar and WideCharToMultiByte.
//
// Share pages are decoded whole, so the memory held at once matters as much as
// the speed, and on a fresh process every megabyte first touched costs time:
// the UTF-8 step converts a piece at a time instead of holding the page as
// UTF-16, and FromWide fills its result as it converts, never touching the
// slack it reserves for a target code page that needs more bytes than the
// system one.
#include "text/CodePageText.h"
#include "text/PercentCodes.h"

#include <algorithm>
#include <cstdint>
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

const WCHAR* Units(const Bytes& wide) { return reinterpret_cast<const WCHAR*>(wide.data()); }

// Our text is code page 936 on every system. The system code page (CP_ACP, 0)
// is 936 only on a Chinese Windows: on an English one it is 1252, where a
// Chinese character becomes "?". So 0 stands for 936 here, and the results
// are the same bytes whatever system runs the program.
constexpr UINT kTextCodePage = 936;

UINT PageOf(std::optional<int> codePage, UINT leftOut) {
  UINT page = codePage ? static_cast<UINT>(*codePage) : leftOut;
  return page == CP_ACP ? kTextCodePage : page;
}

bool IsHighSurrogate(WCHAR unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// Hands the decoded text to `sink` as runs of bytes: the runs between escapes
// whole, each escape's byte alone.
template <class Sink>
void DecodePercents(const Text& text, Sink&& sink) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const char* percent = static_cast<const char*>(std::memchr(p, '%', static_cast<std::size_t>(end - p)));
    if (percent == nullptr) percent = end;
    if (percent > p) sink(p, static_cast<std::size_t>(percent - p));
    if (percent == end) break;
    int code = 16 * DigitValue(percent + 1, end) + DigitValue(percent + 2, end);
    char byte = static_cast<char>(code & 0xFF);
    if (byte != '\0') sink(&byte, 1);
    p = percent + 3 < end ? percent + 3 : end;
  }
}

// The length of the run of ASCII bytes that `data` begins with, eight bytes
// at a time.
std::size_t AsciiPrefix(const char* data, std::size_t size) {
  std::size_t i = 0;
  for (std::uint64_t word; i + 8 <= size; i += 8) {
    std::memcpy(&word, data + i, 8);
    if (word & 0x8080808080808080u) break;
  }
  while (i < size && static_cast<unsigned char>(data[i]) < 0x80) ++i;
  return i;
}

bool IsContinuation(char b) { return (static_cast<unsigned char>(b) & 0xC0) == 0x80; }

// UTF-8 to code page 936 a piece at a time, with the same result as
// FromWide(ToWide(whole text), 936) but without the whole wide text: a page of
// 16 MiB would otherwise hold 32 MiB of UTF-16 at once.
//
// Platforms replace invalid UTF-8 by different rules (how many U+FFFD a broken
// sequence makes, and Wine's decoder lets a sequence cut short by the end of
// its input swallow whatever bytes remain), so pieces are cut only where no
// rule can tell the difference:
//   - in front of a byte that cannot continue a sequence, or after five
//     continuation bytes in a row (more than any decoder lets one sequence
//     have): every decoder starts afresh there;
//   - never within the last kTail bytes seen, so the text's own end, with its
//     terminator, is converted in the same piece as the bytes before it;
//   - and each piece but the last is converted followed by kPad spaces, which
//     end an unfinished sequence as the byte after the cut does, and are then
//     dropped, so that no decoder sees the piece's end as the end of the text.
// FromWide's room (twice what 936 needs) cannot run short here: 936 writes at
// most two bytes for a unit, and one for a surrogate pair.
class Utf8To936 {
 public:
  // sizeHint: the most bytes that will be added; short texts get small pieces.
  explicit Utf8To936(std::size_t sizeHint)
      : piece_(std::clamp<std::size_t>(sizeHint, 16, kMaxPiece)),
        pending_(piece_ + kTail + kPad, '\0'),
        wide_((piece_ + kTail + kPad) * 2, '\0'),
        narrow_((piece_ + kTail + kPad) * 2, '\0') {
    out_.reserve(sizeHint);  // 936 never takes more bytes than UTF-8 for the same text
  }

  void Add(const char* data, std::size_t size) {
    while (size > 0 && ok_) {
      // ASCII is the same bytes in UTF-8 and in 936, and every decoder starts
      // afresh at it: a long run of it goes straight to the result, after
      // whatever is pending, all but its last kTail bytes. Most of a share
      // page is such runs.
      std::size_t ascii = AsciiPrefix(data, size);
      if (ascii > kTail) {
        Flush(fill_);
        if (!ok_) return;
        out_.append(data, ascii - kTail);
        data += ascii - kTail;
        size -= ascii - kTail;
        ascii = kTail;
      }
      std::size_t run = ascii;
      while (run < size && static_cast<unsigned char>(data[run]) >= 0x80) ++run;
      std::size_t take = std::min(run, piece_ + kTail - fill_);
      std::memcpy(pending_.data() + fill_, data, take);
      fill_ += take;
      data += take;
      size -= take;
      if (fill_ == piece_ + kTail) Flush(Cut());
    }
  }

  // The converted text, or nothing when a platform call failed (ok() false).
  Text Finish() {
    Flush(fill_, true);
    return ok_ ? Text(std::move(out_)) : Text();
  }
  bool ok() const { return ok_; }

 private:
  static constexpr std::size_t kMaxPiece = 1 << 15;
  static constexpr std::size_t kTail = 8;
  static constexpr std::size_t kPad = 8;

  std::size_t Cut() const {
    const std::size_t limit = fill_ - kTail;  // at least piece_, so at least 16
    for (std::size_t c = limit; c + 5 >= limit; --c)
      if (!IsContinuation(pending_[c])) return c;
    return limit;  // the five bytes before it continue sequences
  }

  // Converts the first `cut` pending bytes; `last` when they end the text.
  void Flush(std::size_t cut, bool last = false) {
    if (cut > 0 && ok_) {
      // What follows the piece: the terminator after the last one, as in a
      // conversion of the whole text, and the padding after any other.
      const std::size_t follow = last ? 1 : kPad;
      char kept[kPad];
      std::memcpy(kept, pending_.data() + cut, follow);
      std::memset(pending_.data() + cut, last ? '\0' : ' ', follow);
      auto* wide = reinterpret_cast<WCHAR*>(wide_.data());
      int units = MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(cut + follow), wide,
                                      static_cast<int>(wide_.size() / 2));
      std::memcpy(pending_.data() + cut, kept, follow);
      if (units <= 0) {
        ok_ = false;
        return;
      }
      if (last) {
        if (wide[units - 1] == 0) --units;  // the terminator (a decoder may have swallowed it)
      } else {
        for (std::size_t i = 1; i <= kPad; ++i)
          if (units < static_cast<int>(kPad) || wide[units - static_cast<int>(i)] != ' ') ok_ = false;
        if (!ok_) return;
        units -= static_cast<int>(kPad);
      }
      int bytes = units == 0 ? 0
                             : WideCharToMultiByte(936, 0, wide, units, narrow_.data(),
                                                   static_cast<int>(narrow_.size()), nullptr, nullptr);
      if (units > 0 && bytes <= 0) {
        ok_ = false;
        return;
      }
      out_.append(narrow_.data(), static_cast<std::size_t>(bytes));
    }
    std::memmove(pending_.data(), pending_.data() + cut, fill_ - cut);
    fill_ -= cut;
  }

  const std::size_t piece_;
  ByteString pending_, wide_, narrow_, out_;
  std::size_t fill_ = 0;
  bool ok_ = true;
};

}  // namespace

Text PercentDecode(const Text& text, bool fromUtf8) {
  if (fromUtf8) {
    // Decoded and converted in one pass; the decoded page is never held whole.
    Utf8To936 converter(text.size());
    DecodePercents(text, [&](const char* bytes, std::size_t size) { converter.Add(bytes, size); });
    Text converted = converter.Finish();
    if (converter.ok()) return converted;
    return FromWide(ToWide(PercentDecode(text)), 936);  // the platform refused a piece: the plain way
  }
  ByteString decoded;
  decoded.reserve(text.size());
  DecodePercents(text, [&](const char* bytes, std::size_t size) { decoded.append(bytes, size); });
  return Text(std::move(decoded));
}

Text Utf8ToAnsi(const Text& text) {
  Utf8To936 converter(text.size());
  converter.Add(text.data(), text.size());
  Text converted = converter.Finish();
  if (converter.ok()) return converted;
  return FromWide(ToWide(text), 936);
}

Bytes ToWide(const Text& text, std::optional<int> codePage) {
  const UINT page = PageOf(codePage, CP_UTF8);
  // Sized under the code page that is converted from: text that is not valid
  // UTF-8 can need more units than the system code page counts for it, and a
  // buffer sized under the one would lose the whole text to the other.
  int units = MultiByteToWideChar(page, 0, text.c_str(), -1, nullptr, 0);
  if (units <= 0) return {};
  Bytes buffer(ByteString(static_cast<std::size_t>(units) * 2, '\0'));
  MultiByteToWideChar(page, 0, text.c_str(), -1, reinterpret_cast<WCHAR*>(buffer.data()), units);
  return buffer;
}

Text FromWide(const Bytes& wide, std::optional<int> codePage) {
  const UINT page = PageOf(codePage, kTextCodePage);
  const std::size_t available = wide.size() / 2;
  if (available == 0) return {};  // no units at all: no text
  const WCHAR* source = Units(wide);
  std::size_t length = 0;  // units before the first zero unit, within the Bytes
  while (length < available && source[length] != 0) ++length;
  if (length > 0x7FFFFFFE) return {};

  // What our text's code page needs, terminator included, and twice that as
  // the room the conversion may fill. (Measured under the system code page,
  // the room would depend on the system: an English Windows counts one "?"
  // byte for a Chinese character, too little for its three bytes of UTF-8.)
  std::size_t need = 1;  // the terminator
  if (length > 0)
    need += static_cast<std::size_t>(
        WideCharToMultiByte(kTextCodePage, 0, source, static_cast<int>(length), nullptr, 0, nullptr, nullptr));
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
  const WCHAR terminator = 0;
  if (WideCharToMultiByte(page, 0, &terminator, 1, piece, 1, nullptr, nullptr) != 1) return blanks();
  return Text(std::move(converted));
}
