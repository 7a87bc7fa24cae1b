// The searching primitives and the two that search as they go (ReplaceText,
// SplitText). All four look for matches at character starts only.
//
// Pages of several megabytes go through these, so nothing here walks the text
// byte by byte. Candidates come from FindBytes; a candidate is then checked to
// begin a character by counting the run of bytes 0x80-0xFF just before it: a
// byte after an ASCII byte always starts a character (the ASCII byte is either
// a character of its own or the second byte of a pair), and inside a run of
// high bytes characters start at every other byte. The run is counted back
// only as far as the last place known to start a character, so each byte is
// looked at a bounded number of times.
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <string_view>

#include "text/Text.h"

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

unsigned char ByteAt(std::string_view text, std::size_t i) { return static_cast<unsigned char>(text[i]); }

unsigned char Folded(unsigned char b) { return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + 32) : b; }

bool EqualIgnoringCase(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (Folded(static_cast<unsigned char>(a[i])) != Folded(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// The first occurrence of `needle` (m >= 1 bytes) in the n bytes at
// `haystack`, or null. Sixteen positions at a time, candidates are those whose
// first and last bytes both match (the needle's two ends are rarely both
// common), which runs several times faster than memmem on the markers that
// the share formats search whole pages for.
const char* FindBytes(const char* haystack, std::size_t n, const char* needle, std::size_t m) {
  if (m == 1) return static_cast<const char*>(std::memchr(haystack, needle[0], n));
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi8(needle[0]);
  const __m128i last = _mm_set1_epi8(needle[m - 1]);
  for (; i + m - 1 + 16 <= n; i += 16) {
    __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(haystack + i));
    __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(haystack + i + m - 1));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
    for (; mask != 0; mask &= mask - 1) {
      const char* candidate = haystack + i + static_cast<unsigned>(__builtin_ctz(mask));
      if (std::memcmp(candidate + 1, needle + 1, m - 2) == 0) return candidate;
    }
  }
#endif
  if (i >= n) return nullptr;
  // The tail, shorter than a vector step plus the needle (memmem is not on every platform).
  std::string_view rest(haystack + i, n - i);
  std::size_t at = rest.find(std::string_view(needle, m));
  return at == std::string_view::npos ? nullptr : rest.data() + at;
}

// Whether position `c` starts a character, given that `anchor` <= c does.
bool IsCharStart(std::string_view text, std::size_t c, std::size_t anchor) {
  std::size_t i = c;
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  for (std::uint64_t word; i - anchor >= 8; i -= 8) {  // eight bytes a step through long runs of pairs
    std::memcpy(&word, text.data() + i - 8, 8);
    if ((word & kHighBits) != kHighBits) break;
  }
  while (i > anchor && ByteAt(text, i - 1) >= 0x80) --i;
  return (c - i) % 2 == 0;
}

// The first occurrence of `sought` (not empty) that begins at a character
// start at or after `from` and ends at or before `end`. The walk starts at
// `from` as if a character began there. kNone when there is none.
std::size_t NextMatch(std::string_view text, std::string_view sought, std::size_t from, std::size_t end,
                      bool ignoreCase) {
  const std::size_t m = sought.size();
  if (ignoreCase) {
    for (std::size_t p = from; p + m <= end; p += ByteAt(text, p) >= 0x80 ? 2 : 1)
      if (EqualIgnoringCase(text.data() + p, sought.data(), m)) return p;
    return kNone;
  }
  std::size_t anchor = from;
  for (std::size_t p = from; p + m <= end;) {
    const char* hit = FindBytes(text.data() + p, end - p, sought.data(), m);
    if (hit == nullptr) return kNone;
    std::size_t c = static_cast<std::size_t>(hit - text.data());
    if (IsCharStart(text, c, anchor)) return c;
    anchor = p = c + 1;  // c is the second byte of a pair, so the next byte starts a character
  }
  return kNone;
}

std::size_t NextCharStart(std::string_view text, std::size_t p) { return p + (ByteAt(text, p) >= 0x80 ? 2 : 1); }

}  // namespace

int FindText(const Text& text, const Text& sought, int startPos, bool ignoreCase) {
  const std::size_t length = text.size();
  std::size_t from = startPos <= 1 ? 0 : static_cast<std::size_t>(startPos) - 1;
  if (from >= length) return -1;
  if (sought.empty()) return 1;
  std::size_t c = NextMatch(text, sought, from, length, ignoreCase);
  return c == kNone ? -1 : static_cast<int>(c) + 1;
}

int FindTextReverse(const Text& text, const Text& sought, std::optional<int> startPos, bool ignoreCase) {
  std::size_t end = text.size();
  if (startPos) {
    if (*startPos <= 1) return -1;
    end = std::min(end, static_cast<std::size_t>(*startPos) - 1);
  }
  if (end == 0) return -1;
  if (sought.empty()) return 1;
  std::size_t last = kNone;
  for (std::size_t from = 0;;) {
    std::size_t c = NextMatch(text, sought, from, end, ignoreCase);
    if (c == kNone) break;
    last = c;
    from = NextCharStart(text, c);  // occurrences may overlap
  }
  return last == kNone ? -1 : static_cast<int>(last) + 1;
}

Text ReplaceText(const Text& text, const Text& sought, const Text& replacement, int startPos, int count,
                 bool caseSensitive) {
  const std::size_t length = text.size(), m = sought.size();
  const std::size_t offset = startPos <= 1 ? 0 : static_cast<std::size_t>(startPos) - 1;
  if (length == 0 || m == 0 || offset >= length || count == 0) return text;
  const bool limited = count > 0;
  std::string_view all = text;

  ByteString result;
  std::size_t pos = offset;  // where the walk stands; a character starts here
  int replaced = 0;
  bool limitReached = false;
  // Pages are large: growing the result by doubling would copy it again and
  // again. Where it cannot grow, one reservation is all it needs.
  result.reserve(replacement.size() <= m ? length : length + length / 8);
  result.append(all.data(), offset);
  for (;;) {
    std::size_t c = NextMatch(all, sought, pos, length, !caseSensitive);
    if (c == kNone) break;
    result.append(all.data() + pos, c - pos);
    result.append(replacement.data(), replacement.size());
    pos = c + m;
    if (limited && ++replaced == count) {
      limitReached = true;
      break;
    }
  }
  // A one-byte sought text is the only kind with which the walk gets as far as
  // a cut character at the end; the walk drops it.
  std::size_t keepTo = length;
  if (!limitReached && m == 1 && pos < length && ByteAt(all, length - 1) >= 0x80 &&
      IsCharStart(all, length - 1, pos))
    keepTo = length - 1;
  if (keepTo > pos) result.append(all.data() + pos, keepTo - pos);
  return Text(std::move(result));
}

TextList SplitText(const Text& text, const Text& separator, std::optional<int> maxItems) {
  const std::size_t length = text.size(), s = separator.size();
  const bool limited = maxItems.has_value();
  const int limit = limited ? std::max(*maxItems, 0) : 0;
  TextList list;
  if (length == 0 || (limited && limit == 0)) return list;
  if (s == 0) {
    list.push_back(text);
    return list;
  }
  std::string_view all = text;
  std::size_t pieceStart = 0;
  for (;;) {
    std::size_t c = NextMatch(all, separator, pieceStart, length, false);
    if (c == kNone) break;
    list.emplace_back(all.data() + pieceStart, c - pieceStart);
    pieceStart = c + s;
    if (limited && ListCount(list) == limit) return list;
  }
  if (pieceStart < length) list.emplace_back(all.data() + pieceStart, length - pieceStart);
  return list;
}
