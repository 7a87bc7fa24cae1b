// Percent-decoding and the code-page conversions, over the platform's
// MultiByteToWideChar and WideCharToMultiByte.
//
// Share pages are decoded whole, so the memory held at once matters as much as
// the speed, and on a fresh process every megabyte first touched costs time:
// the UTF-8 step converts a piece at a time instead of holding the page as
// UTF-16, and FromWide fills its result as it converts, never touching the
// slack it reserves for a target code page that needs more bytes than the
// system one.
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

const char16_t* Units(const Bytes& wide) { return reinterpret_cast<const char16_t*>(wide.data()); }

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

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
// Pieces are cut where the platform's UTF-8 decoder starts afresh whatever came
// before: in front of a byte that is not a continuation byte (it ends any
// unfinished sequence as the end of the text would), or after four
// continuation bytes in a row (no sequence reaches across them). So invalid
// input is replaced exactly as in one call. FromWide's room (twice what the
// system code page needs) cannot run short here: 936 writes at most two bytes
// for a unit, and one for a surrogate pair, where any code page needs one.
class Utf8To936 {
 public:
  // sizeHint: the most bytes that will be added; short texts get small pieces.
  explicit Utf8To936(std::size_t sizeHint)
      : piece_(std::clamp<std::size_t>(sizeHint, 16, kMaxPiece)),
        pending_(piece_ + 4, '\0'),
        wide_((piece_ + 4) * 2, '\0'),
        narrow_((piece_ + 4) * 2, '\0') {
    out_.reserve(sizeHint);  // 936 never takes more bytes than UTF-8 for the same text
  }

  void Add(const char* data, std::size_t size) {
    while (size > 0 && ok_) {
      // ASCII is the same bytes in UTF-8 and in 936, and the decoder starts
      // afresh at it: a run of it goes straight to the result, after whatever
      // is pending. Most of a share page is such runs.
      std::size_t ascii = AsciiPrefix(data, size);
      if (ascii > 0) {
        Flush(fill_);
        if (!ok_) return;
        out_.append(data, ascii);
        data += ascii;
        size -= ascii;
        continue;
      }
      std::size_t run = 1;
      while (run < size && static_cast<unsigned char>(data[run]) >= 0x80) ++run;
      std::size_t take = std::min(run, piece_ - fill_);
      std::memcpy(pending_.data() + fill_, data, take);
      fill_ += take;
      data += take;
      size -= take;
      if (fill_ == piece_) Flush(Cut());
    }
  }

  // The converted text, or nothing when a platform call failed (ok() false).
  Text Finish() {
    Flush(fill_);
    return ok_ ? Text(std::move(out_)) : Text();
  }
  bool ok() const { return ok_; }

 private:
  static constexpr std::size_t kMaxPiece = 1 << 15;

  std::size_t Cut() const {
    for (std::size_t back = 1; back <= 4 && back <= fill_; ++back)
      if (!IsContinuation(pending_[fill_ - back])) return fill_ - back;
    return fill_;
  }

  void Flush(std::size_t cut) {
    if (cut > 0 && ok_) {
      auto* wide = reinterpret_cast<char16_t*>(wide_.data());
      int units = MultiByteToWideChar(CP_UTF8, 0, pending_.data(), static_cast<int>(cut), wide,
                                      static_cast<int>(piece_ + 4));
      int bytes = units <= 0 ? 0
                             : WideCharToMultiByte(936, 0, wide, units, narrow_.data(),
                                                   static_cast<int>(narrow_.size()), nullptr, nullptr);
      if (bytes <= 0) {
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
  std::size_t need = 1;  // the terminator
  if (length > 0)
    need += static_cast<std::size_t>(
        WideCharToMultiByte(CP_ACP, 0, source, static_cast<int>(length), nullptr, 0, nullptr, nullptr));
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
