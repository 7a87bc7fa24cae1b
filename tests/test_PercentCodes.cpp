#include "text/CodePageText.h"
#include "text/PercentCodes.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/CodePages.h"

namespace {

// What the platform writes in code page 936 for a character outside the
// Basic Multilingual Plane (U+1F600): the default character, once (the
// stand-in) or once per unit of the pair (Wine). Windows documents neither.
std::string SupplementaryIn936() {
  const WCHAR pair[] = {0xD83D, 0xDE00, 0};
  char out[8] = {};
  WideCharToMultiByte(936, 0, pair, -1, out, sizeof out, nullptr, nullptr);
  return out;
}

TEST(PercentDecode, EscapesWithoutTheUtf8Step) {
  struct Case {
    const char* text;
    std::string expected;
  } cases[] = {
      {"a%20b", "a b"},
      {"%41%42", "AB"},
      {"a+b", "a+b"},
      {"100%", "100"},
      {"x%4", "x\x40"},
      {"x%0", "x"},
      {"%00z", "z"},
      {"%zz", "\xDE"},
      {"%G1", "\xE1"},
      {"%1G", "\x0E"},  // 16 x 1 - 2
      {"%%41", "\xE4" "1"},
      {"%2f%2F", "//"},
      {"%E4%B8%AD", "\xE4\xB8\xAD"},
      {"%", ""},
      {"", ""},
      {"\xD6\xD0\xCE\xC4 ok", "\xD6\xD0\xCE\xC4 ok"},  // code-page-936 text passes byte for byte
      {"\xD6%41", "\xD6" "A"},  // bytes, not characters: the % after a lead byte still counts
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(PercentDecode(c.text).view(), c.expected);
    EXPECT_EQ(PercentDecode(c.text, false).view(), c.expected);
  }
}

TEST(PercentDecode, WithTheUtf8Step) {
  struct Case {
    const char* text;
    std::string expected;
  } cases[] = {
      {"%E4%B8%AD", "\xD6\xD0"},
      {"\xE4\xB8\xAD%E6%96%87", "\xD6\xD0\xCE\xC4"},
      {"a%20b", "a b"},
      {"", ""},
      {"%zzb", "?b"},                        // invalid UTF-8 is replaced, the rest converts
      {"%E4%B8", "?"},                       // a cut sequence is one replacement
      {"%F0%9F%98%80!", SupplementaryIn936() + "!"},  // not in code page 936: its default character
      {"%80%80x", "??x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(PercentDecode(c.text, true).view(), c.expected);
  }
}

TEST(Utf8ToAnsi, ConvertsAndReplaces) {
  EXPECT_EQ(Utf8ToAnsi("\xE6\x96\x87\xE4\xBB\xB6 a").view(), "\xCE\xC4\xBC\xFE a");
  EXPECT_EQ(Utf8ToAnsi("").view(), "");
}

// A text of invalid UTF-8 in which code page 936 sees fewer characters than
// UTF-8 does: 81 80 is one pair there but two replacements here. Sized under
// the wrong code page the whole page text would be lost.
TEST(Utf8ToAnsi, InvalidUtf8NeedingMoreUnitsThanTheSystemCodePageCounts) {
  std::string page = "<p>";
  for (int i = 0; i < 1000; ++i) page += "\x81\x80";
  page += "</p>";
  std::string expected = "<p>" + std::string(2000, '?') + "</p>";
  EXPECT_EQ(Utf8ToAnsi(Text(page)).view(), expected);
  EXPECT_EQ(PercentDecode(Text(page), true).view(), expected);
  EXPECT_EQ(ToWide(Text("\x81\x80")), Bytes("\xFD\xFF\xFD\xFF\0\0", 6));
}

TEST(ToWide, UnitsAndCodePages) {
  struct Case {
    const char* name;
    Text text;
    std::optional<int> codePage;
    Bytes expected;
  } cases[] = {
      {"abc from UTF-8", "abc", std::nullopt, Bytes("a\0b\0c\0\0\0", 8)},
      {"empty", "", std::nullopt, Bytes("\0\0", 2)},
      {"UTF-8 left out", "\xE4\xB8\xAD", std::nullopt, Bytes("\x2D\x4E\0\0", 4)},
      {"936", "\xD6\xD0", 936, Bytes("\x2D\x4E\0\0", 4)},
      {"0 is 936 on every system", "\xD6\xD0", 0, Bytes("\x2D\x4E\0\0", 4)},
      {"given 65001", "\xE4\xB8\xAD", 65001, Bytes("\x2D\x4E\0\0", 4)},
      {"supplementary", "\xF0\x9F\x98\x80", std::nullopt, Bytes("\x3D\xD8\x00\xDE\0\0", 6)},
      {"unknown code page", "abc", 99, Bytes()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ToWide(c.text, c.codePage), c.expected);
  }
}

TEST(FromWide, UnitsToText) {
  struct Case {
    const char* name;
    Bytes wide;
    std::optional<int> codePage;
    std::string expected;
  } cases[] = {
      {"936", Bytes("\x2D\x4E" "a\0\0\0", 6), 936, "\xD6\xD0" "a"},
      {"left out is 936", Bytes("\x2D\x4E\0\0", 4), std::nullopt, "\xD6\xD0"},
      {"0 is 936 on every system", Bytes("\x2D\x4E\0\0", 4), 0, "\xD6\xD0"},
      {"UTF-8", Bytes("\x2D\x4E\0\0", 4), 65001, "\xE4\xB8\xAD"},
      {"stops at the first zero unit", Bytes("a\0\0\0b\0", 6), 936, "a"},
      {"no zero unit: stops at the end", Bytes("a\0b\0", 4), 936, "ab"},
      {"an odd last byte is no unit", Bytes("a\0b", 3), 936, "a"},
      {"empty", Bytes(), 936, ""},
      {"one zero unit", Bytes("\0\0", 2), 936, ""},
      {"unknown code page: blanks", Bytes("a\0b\0\0\0", 6), 99, "      "},
      {"unknown code page, no text", Bytes("\0\0", 2), 99, "  "},
      {"supplementary to UTF-8", Bytes("\x3D\xD8\x00\xDE" "a\0b\0\0\0", 10), 65001, "\xF0\x9F\x98\x80" "ab"},
      // Two Thai letters: 936 needs 3 bytes ("??" and the terminator), UTF-8
      // needs 7, more than the room of twice 3.
      {"more than twice what 936 needs", Bytes("\x01\x0E\x01\x0E\0\0", 6), 65001, "      "},
      {"lone surrogate to 936", Bytes("\x3D\xD8" "a\0", 4), 936, "?a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FromWide(c.wide, c.codePage).view(), c.expected);
  }
}

// Long texts go through in pieces; a surrogate pair across a piece boundary
// must come out as the one character it is.
TEST(FromWide, LongTextsAndPairsAcrossPieces) {
  for (std::size_t prefix : {8190u, 8191u, 8192u, 20000u}) {
    SCOPED_TRACE(prefix);
    std::u16string units(prefix, u'x');
    units += u"\U0001F600\u4E2D";
    units += std::u16string(prefix, u'y');
    Bytes wide(units.data(), (units.size() + 1) * 2);
    std::string expected = std::string(prefix, 'x') + "\xF0\x9F\x98\x80\xE4\xB8\xAD" + std::string(prefix, 'y');
    EXPECT_EQ(FromWide(wide, 65001).view(), expected);
    EXPECT_EQ(FromWide(wide, 936).view(),
              std::string(prefix, 'x') + SupplementaryIn936() + "\xD6\xD0" + std::string(prefix, 'y'));
  }
}

// Our text is 936 text whatever language the system runs in: converted to
// UTF-8 for a terminal or a window, and back, it must give the same bytes on
// a Chinese system and on an English or Western-European one (code page
// 1252, where a Chinese character is a single "?"). The tests run under both.
TEST(CodePages, SameBytesWhateverTheSystemCodePage) {
  const Text chinese = "\xD6\xD0\xCE\xC4 \xB7\xD6\xCF\xED\xD5\xDF";  // 中文 分享者
  const std::string utf8 = "\xE4\xB8\xAD\xE6\x96\x87 \xE5\x88\x86\xE4\xBA\xAB\xE8\x80\x85";
  EXPECT_EQ(FromWide(ToWide(chinese, 936), 65001).view(), utf8);
  EXPECT_EQ(FromWide(ToWide(Text(utf8)), 936), chinese);
  EXPECT_EQ(FromWide(ToWide(Text(utf8))), chinese);  // left out: 936
  EXPECT_EQ(FromWide(ToWide(chinese, 0), 0), chinese);
  EXPECT_EQ(Utf8ToAnsi(Text(utf8)), chinese);
}

TEST(CodePages, RoundTripOf936Text) {
  const Text text = "\xD6\xD0\xCE\xC4 abc \xA1\xA1\x80";
  EXPECT_EQ(FromWide(ToWide(text, 936), 936), text);
  EXPECT_EQ(FromWide(ToWide(text, 0)), text);
}

}  // namespace

namespace {

// Texts are converted a piece at a time. Whatever bytes fall on the cut
// between two pieces, the result must be the one the whole chain
// FromWide(ToWide(text), 936) gives.
TEST(Utf8ToAnsi, SameAsTheWholeChainAcrossPieces) {
  const std::string kinds[] = {
      "a",  "\xE4\xB8\xAD",       "\xC3\xA9",         "\xF0\x9F\x98\x80", "\x80",
      "\xBF\xBF\xBF\xBF\xBF", "\xE4\xB8",         "\xF0\x9F\x98",     "\xC0\xAF",         "\xFF",
      "\xED\xA0\x80",           "\xF4\x90\x80\x80", "%",
  };
  std::uint32_t state = 7;
  for (int round = 0; round < 24; ++round) {
    SCOPED_TRACE(round);
    std::string text(static_cast<std::size_t>(round % 8), 'x');  // moves every cut by a byte
    // Long texts cross many cuts; short ones are converted in short pieces.
    const std::size_t size = round % 2 == 0 ? 150000 : 17 + 5 * static_cast<std::size_t>(round);
    while (text.size() < size) {
      state = state * 1664525u + 1013904223u;
      text += kinds[(state >> 16) % std::size(kinds)];
    }
    Text source(text);
    Text whole = FromWide(ToWide(source), 936);
    EXPECT_EQ(Utf8ToAnsi(source), whole);
    EXPECT_EQ(PercentDecode(source, true), FromWide(ToWide(PercentDecode(source)), 936));
  }
}

}  // namespace
