// The primitives that walk a text by the character step and change or read
// single-byte characters: letter case, the space set, and TextToInt.
#include <cstdint>
#include <string_view>

#include "text/Text.h"

namespace {

bool IsHigh(char b) { return static_cast<unsigned char>(b) >= 0x80; }

// The full-width space A1 A1 at `p`; a lone A1 at the end is a cut character.
bool IsFullWidthSpace(std::string_view text, std::size_t p) {
  return p + 1 < text.size() && text[p] == '\xA1' && text[p + 1] == '\xA1';
}

// Length of the space-set character at `p`, or 0 when there is none.
std::size_t SpaceAt(std::string_view text, std::size_t p) {
  if (text[p] == ' ') return 1;
  return IsFullWidthSpace(text, p) ? 2 : 0;
}

template <class Change>
Text ChangeLetters(const Text& text, Change change) {
  ByteString bytes(text.data(), text.size());
  for (std::size_t p = 0; p < bytes.size(); p += IsHigh(bytes[p]) ? 2 : 1) bytes[p] = change(bytes[p]);
  return Text(std::move(bytes));
}

}  // namespace

Text ToUpperText(const Text& text) {
  return ChangeLetters(text, [](char b) { return (b >= 'a' && b <= 'z') ? static_cast<char>(b - 32) : b; });
}

Text ToLowerText(const Text& text) {
  return ChangeLetters(text, [](char b) { return (b >= 'A' && b <= 'Z') ? static_cast<char>(b + 32) : b; });
}

Text TrimSpaces(const Text& text) {
  std::string_view all = text;
  std::size_t begin = 0;
  while (begin < all.size()) {
    std::size_t space = SpaceAt(all, begin);
    if (space == 0) break;
    begin += space;
  }
  std::size_t end = all.size();
  std::size_t runStart = std::string_view::npos;  // start of the run of spaces that reaches the walk
  for (std::size_t p = begin; p < all.size();) {
    if (IsHigh(all[p]) && p + 1 == all.size()) {  // a cut character: it goes, the spaces before it stay
      runStart = p;
      break;
    }
    std::size_t space = SpaceAt(all, p);
    if (space != 0) {
      if (runStart == std::string_view::npos) runStart = p;
      p += space;
    } else {
      runStart = std::string_view::npos;
      p += IsHigh(all[p]) ? 2 : 1;
    }
  }
  if (runStart != std::string_view::npos) end = runStart;
  return Text(all.substr(begin, end - begin));
}

Text RemoveSpaces(const Text& text) {
  std::string_view all = text;
  ByteString kept;
  kept.reserve(all.size());
  for (std::size_t p = 0; p < all.size();) {
    std::size_t space = SpaceAt(all, p);
    if (space != 0) {
      p += space;
      continue;
    }
    if (IsHigh(all[p])) {
      if (p + 1 == all.size()) break;  // a cut character at the end is dropped
      kept.append(all.data() + p, 2);
      p += 2;
    } else {
      kept.push_back(all[p++]);
    }
  }
  return Text(std::move(kept));
}

namespace {

// The character at `p` with full-width forms read as their ASCII partners:
// A3 A1..A3 FE => 0x21..0x7E, A1 A1 => space, A1 AB => "~", A1 EE / A1 EF => "*".
// Any other two-byte character (or a cut one) reads as -1, which is neither
// white space, a sign nor a digit. `width` is set to the bytes it takes.
int NormalizedAt(std::string_view text, std::size_t p, std::size_t& width) {
  unsigned char b = static_cast<unsigned char>(text[p]);
  if (b < 0x80) {
    width = 1;
    return b;
  }
  width = 2;
  if (p + 1 >= text.size()) return -1;
  unsigned char t = static_cast<unsigned char>(text[p + 1]);
  if (b == 0xA3 && t >= 0xA1 && t <= 0xFE) return t - 0x80;
  if (b == 0xA1 && t == 0xA1) return ' ';
  if (b == 0xA1 && t == 0xAB) return '~';
  if (b == 0xA1 && (t == 0xEE || t == 0xEF)) return '*';
  return -1;
}

}  // namespace

int TextToInt(const Text& text) {
  std::string_view all = text;
  std::size_t p = 0, width = 0;
  auto peek = [&]() { return p < all.size() ? NormalizedAt(all, p, width) : -1; };
  int c = peek();
  while (c == ' ' || (c >= 0x09 && c <= 0x0D)) {
    p += width;
    c = peek();
  }
  bool negative = false;
  if (c == '+' || c == '-') {
    negative = c == '-';
    p += width;
    c = peek();
  }
  std::uint32_t value = 0;  // wraps modulo 2^32 on overflow, as the contract says
  while (c >= '0' && c <= '9') {
    value = value * 10u + static_cast<std::uint32_t>(c - '0');
    p += width;
    c = peek();
  }
  if (negative) value = 0u - value;
  return static_cast<int>(value);
}
