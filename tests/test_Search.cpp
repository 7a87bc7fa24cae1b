#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "text/Text.h"

namespace {

TEST(FindText, PositionsAndRegions) {
  struct Case {
    const char* text;
    const char* sought;
    int startPos;
    bool ignoreCase;
    int expected;
  } cases[] = {
      {"abcabc", "c", 1, false, 3},
      {"abcabc", "c", 4, false, 6},
      {"abcabc", "c", 0, false, 3},
      {"abcabc", "c", -5, false, 3},
      {"abc", "c", 4, false, -1},
      {"abc", "", 1, false, 1},
      {"abc", "", 3, false, 1},  // the empty sought text is found at 1 whatever startPos is
      {"abc", "", 4, false, -1},
      {"", "", 1, false, -1},
      {"", "a", 1, false, -1},
      {"ab", "abc", 1, false, -1},
      {"user-agent: x", "User-Agent:", 1, true, 1},
      {"user-agent: x", "User-Agent:", 1, false, -1},
      {"\xD6\xD0" "A", "\xD0" "A", 1, false, -1},  // position 2 is the second byte of a character
      {"\xD6\xD0" "A", "A", 1, false, 3},
      {"\xD6\xD0" "A", "\xD0" "A", 2, false, 2},  // a start on a second byte walks from there
      {"\xB0\xA1\xB0\xA1\xB0" "a", "\xA1\xB0", 1, false, -1},  // only odd offsets in a run of pairs
      {"x\xB0\xA1\xB0\xA1\xB0", "\xB0\xA1", 3, false, -1},  // from a second byte the pairs are A1 B0
      {"x\xB0\xA1\xB0\xA1\xB0", "\xB0\xA1", 4, false, 4},
      {"\xC1\x41\x41", "\x41", 1, false, 3},  // the ASCII byte of a pair is no character start
      {"\xC1\x61\x41", "a", 1, true, 3},
      {"a\xD6", "\xD6", 1, false, 2},  // a cut character at the end is still compared
      {"\xC1" "Ab", "\xC1" "aB", 1, true, 1},  // folding reaches second bytes too
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.text << "\" / \"" << c.sought << "\" from " << c.startPos);
    EXPECT_EQ(FindText(c.text, c.sought, c.startPos, c.ignoreCase), c.expected);
  }
}

// Candidates at the wrong parity must not hide a later real one, however long
// the run of two-byte characters before it.
TEST(FindText, LongRunsOfPairs) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "\xB0\xA1";
  std::string sought = "\xA1\xB0";
  EXPECT_EQ(FindText(Text(text), Text(sought)), -1);
  std::string shifted = "\xB0" + text + "z";  // now the pairs are B0 B0, then A1 B0
  EXPECT_EQ(FindText(Text(shifted), Text("\xB0\xA1")), -1);
  EXPECT_EQ(FindText(Text(text + "\xA1\xB0"), Text(sought)), 10001);
}

// The walk as written out plainly: character starts from startPos, an exact
// compare at each.
int FindTextByWalking(const std::string& text, const std::string& sought, int startPos) {
  std::size_t from = startPos <= 1 ? 0 : static_cast<std::size_t>(startPos) - 1;
  if (from >= text.size()) return -1;
  if (sought.empty()) return 1;
  for (std::size_t p = from; p + sought.size() <= text.size();
       p += static_cast<unsigned char>(text[p]) >= 0x80 ? 2 : 1)
    if (text.compare(p, sought.size(), sought) == 0) return static_cast<int>(p) + 1;
  return -1;
}

// Texts long and short over a small alphabet of ASCII and high bytes, so that
// matches fall at every offset of the sixteen-byte blocks the search scans,
// at both parities, and in the tail after the last block.
TEST(FindText, AgreesWithThePlainWalk) {
  const char alphabet[] = {'a', 'b', '\xB0', '\xA1'};
  std::mt19937 random(20141318);
  for (int round = 0; round < 20000; ++round) {
    std::string text(random() % 70, ' '), sought(1 + random() % 5, ' ');
    for (char& c : text) c = alphabet[random() % 4];
    for (char& c : sought) c = alphabet[random() % 4];
    int startPos = static_cast<int>(random() % 8) - 1;
    ASSERT_EQ(FindText(Text(text), Text(sought), startPos), FindTextByWalking(text, sought, startPos))
        << "round " << round;
  }
}

TEST(FindTextReverse, LastOccurrenceBeforeStart) {
  struct Case {
    const char* text;
    const char* sought;
    std::optional<int> startPos;
    int expected;
  } cases[] = {
      {"a.bb.ccc", ".", std::nullopt, 5},
      {"a.bb.ccc", ".", 5, 2},
      {"a.bb.ccc", ".", 2, -1},
      {"a.b.", ".", std::nullopt, 4},
      {"a.b.", ".", 4, 2},
      {"a.b.", ".", 1, -1},
      {"a.b.", ".", -3, -1},
      {"a.b.", ".", 99, 4},
      {"aaa", "aa", std::nullopt, 2},  // overlapping occurrences count
      {"aaa", "aa", 3, 1},             // a match must lie wholly before startPos
      {"aaa", "aa", 2, -1},
      {"abc", "", std::nullopt, 1},
      {"", "", std::nullopt, -1},
      {"\xB0\xA1\xB0\xA1", "\xA1\xB0", std::nullopt, -1},
      {"\xB0.\xA1.", ".", std::nullopt, -1},  // both dots are second bytes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.text << "\" / \"" << c.sought << '"');
    EXPECT_EQ(FindTextReverse(c.text, c.sought, c.startPos), c.expected);
  }
  EXPECT_EQ(FindTextReverse("A.b", "a", std::nullopt, true), 1);
}

TEST(ReplaceText, Cases) {
  struct Case {
    const char* text;
    const char* sought;
    const char* replacement;
    int startPos;
    int count;
    bool caseSensitive;
    std::string expected;
  } cases[] = {
      {"aaa", "aa", "b", 1, -1, true, "ba"},
      {"abab", "b", "x", 1, 1, true, "axab"},
      {"abab", "b", "x", 3, -1, true, "abax"},
      {"abc", "b", "x", 4, -1, true, "abc"},
      {"abc", "", "x", 1, -1, true, "abc"},
      {"AbAB", "b", "x", 1, -1, false, "AxAx"},
      {"AbAB", "b", "x", 1, -1, true, "AxAB"},
      {"abab", "b", "x", 1, 0, true, "abab"},
      {"abab", "b", "x", 1, -3, true, "axax"},
      {"abab", "b", "", 1, -1, true, "aa"},
      {"a\\/b\\/c", "\\", "", 1, -1, true, "a/b/c"},
      {"aba", "a", "aa", 1, -1, true, "aabaa"},  // the replacement is never searched again
      {"\xD6\x62" "b", "b", "x", 1, -1, true, "\xD6\x62x"},
      {"ab\xD6", "b", "x", 1, -1, true, "ax"},      // the walk drops a cut character
      {"ab\xD6", "b", "x", 1, 1, true, "ax\xD6"},   // ... unless it stopped at the limit
      {"ab\xD6", "bc", "x", 1, -1, true, "ab\xD6"}, // ... or ended for want of bytes
      {"x", "x", "", 1, -1, true, ""},
      {"", "x", "y", 1, -1, true, ""},
      {"abab", "b", "x", -2, -1, true, "axax"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.text << "\" / \"" << c.sought << "\" -> \"" << c.replacement << '"');
    EXPECT_EQ(ReplaceText(c.text, c.sought, c.replacement, c.startPos, c.count, c.caseSensitive).view(),
              c.expected);
  }
  // Left-out arguments: every occurrence, ignoring case.
  EXPECT_EQ(ReplaceText("AbAB", "b", "x").view(), "AxAx");
  EXPECT_EQ(ReplaceText("a-b", "-").view(), "ab");
}

std::vector<std::string> Items(const TextList& list) {
  std::vector<std::string> items;
  for (const Text& item : list) items.emplace_back(item.view());
  return items;
}

TEST(SplitText, Cases) {
  using V = std::vector<std::string>;
  struct Case {
    const char* text;
    const char* separator;
    std::optional<int> maxItems;
    V expected;
  } cases[] = {
      {"a;b;;c;", ";", std::nullopt, V{"a", "b", "", "c"}},
      {";a", ";", std::nullopt, V{"", "a"}},
      {";", ";", std::nullopt, V{""}},
      {"", ";", std::nullopt, V{}},
      {"abc", ";", std::nullopt, V{"abc"}},
      {"abc", "", std::nullopt, V{"abc"}},
      {"a,b,c", ",", 2, V{"a", "b"}},
      {"a,b,c", ",", 0, V{}},
      {"a,b,c", ",", -1, V{}},
      {"a,b,c", ",", 5, V{"a", "b", "c"}},
      {"a\r\nb\r\n\r\nc", "\r\n", std::nullopt, V{"a", "b", "", "c"}},
      {"\xB0;b;c", ";", std::nullopt, V{"\xB0;b", "c"}},  // ";" as a second byte does not split
      {"a;\xB0", ";", std::nullopt, V{"a", "\xB0"}},      // a cut character stays in the last piece
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.text << "\" at \"" << c.separator << '"');
    EXPECT_EQ(Items(SplitText(c.text, c.separator, c.maxItems)), c.expected);
  }
  EXPECT_EQ(Items(SplitText("a,b")), (V{"a", "b"}));
}

}  // namespace
