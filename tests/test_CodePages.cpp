#include "platform/CodePages.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The platform's UTF-16 unit is wchar_t on Windows and char16_t here; the
// expectations are written as char16_t.
using PlatformWide = std::basic_string<WCHAR>;

// Whether the platform is our stand-in, whose rules go further than Windows
// documents (the build says which).
constexpr bool kStandIn = !LINKPEEL_TEST_ON_WINDOWS;

std::u16string Wide(UINT codePage, const std::string& source) {
  int units = MultiByteToWideChar(codePage, 0, source.c_str(), -1, nullptr, 0);
  PlatformWide wide(static_cast<size_t>(units), 0);
  EXPECT_EQ(MultiByteToWideChar(codePage, 0, source.c_str(), -1, wide.data(), units), units);
  return std::u16string(wide.begin(), wide.end());
}

std::string Narrow(UINT codePage, const std::u16string& source) {
  PlatformWide wide(source.begin(), source.end());
  int bytes = WideCharToMultiByte(codePage, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(bytes), '\0');
  EXPECT_EQ(WideCharToMultiByte(codePage, 0, wide.c_str(), -1, narrow.data(), bytes, nullptr, nullptr), bytes);
  return narrow;
}

TEST(MultiByteToWideChar, DecodesEachCodePage) {
  struct Case {
    UINT codePage;
    std::string source;
    std::u16string expected;  // terminator included, as the platform counts it
    bool standInOnly = false;
  } cases[] = {
      {CP_UTF8, "abc", std::u16string(u"abc", 4)},
      {CP_UTF8, "\xE4\xB8\xAD", std::u16string(u"\u4E2D", 2)},
      {CP_UTF8, "\xF0\x9F\x98\x80", std::u16string(u"\U0001F600", 3)},
      {CP_UTF8, "a\xFF" "b", std::u16string(u"a\uFFFDb", 4)},
      {CP_UTF8, "\xE4\xB8", std::u16string(u"\uFFFD", 2)},          // a cut sequence is one U+FFFD
      {CP_UTF8, "\xC0\xAF", std::u16string(u"\uFFFD\uFFFD", 3)},    // overlong: each byte alone
      // How many U+FFFD an invalid sequence makes is the stand-in's rule (the
      // Unicode one); Windows documents only that they are replaced, and Wine
      // makes two here.
      {CP_UTF8, "\xED\xA0\x80", std::u16string(u"\uFFFD\uFFFD\uFFFD", 4), true},  // a surrogate
      {936, "\xD6\xD0", std::u16string(u"\u4E2D", 2)},
      {936, "\x80", std::u16string(u"\u20AC", 2)},                    // the Windows euro
      {CP_ACP, "\xD6\xD0" "A", std::u16string(u"\u4E2DA", 3), true},  // 0 is served as 936
      {936, "\xD6", std::u16string(u"?", 2)},                          // a cut character
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    if (c.standInOnly && !kStandIn) continue;
    EXPECT_EQ(Wide(c.codePage, c.source), c.expected);
  }
}

TEST(WideCharToMultiByte, EncodesEachCodePage) {
  struct Case {
    UINT codePage;
    std::u16string source;
    std::string expected;
    bool standInOnly = false;
  } cases[] = {
      {936, u"\u4E2D", std::string("\xD6\xD0", 3)},
      {936, u"\u20AC", std::string("\x80", 2)},
      // Not in 936: the default character. Windows documents no count for a
      // pair; the stand-in writes one, Wine one for each unit.
      {936, u"\U0001F600", std::string("?", 2), true},
      {936, u"\u00E9x", std::string("\xA8\xA6x", 4)},
      {936, u"\u0E01", std::string("?", 2)},  // Thai: not in 936, the default character
      {CP_UTF8, u"\u4E2D", std::string("\xE4\xB8\xAD", 4)},
      {CP_UTF8, std::u16string(1, u'\xD800'), std::string("\xEF\xBF\xBD", 4)},  // a lone surrogate
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    if (c.standInOnly && !kStandIn) continue;
    EXPECT_EQ(Narrow(c.codePage, c.source), c.expected);
  }
}

TEST(CodePages, SizingFollowsThePlatform) {
  WCHAR small[2];
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, nullptr, 0), 4);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", -1, small, 2), 0);  // too small: nothing
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 2, small, 2), 2);   // an explicit length: no terminator
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, nullptr, -1, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWideChar(99, 0, "abc", -1, nullptr, 0), 0);     // no such code page
  if (kStandIn) {
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", -1, nullptr, 0), 0);  // one it lacks
  }
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "", -1, nullptr, 0), 1);   // the terminator alone
  char narrow[2];
  const WCHAR zhong[] = {0x4E2D, 0};
  EXPECT_EQ(WideCharToMultiByte(936, 0, zhong, -1, narrow, 2, nullptr, nullptr), 0);
}

TEST(CodePages, RoundTripsEveryTwoByteCharacterOf936) {
  int checked = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      std::string source{static_cast<char>(lead), static_cast<char>(trail)};
      std::u16string wide = Wide(936, source);
      if (wide[0] == u'?') continue;  // not a character of 936
      ASSERT_EQ(Narrow(936, wide), source + '\0') << std::hex << lead << ' ' << trail;
      ++checked;
    }
  }
  EXPECT_GT(checked, 21000);  // GBK has 21886 two-byte characters
}

}  // namespace
