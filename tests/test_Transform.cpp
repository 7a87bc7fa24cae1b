#include <gtest/gtest.h>

#include <string>

#include "text/Text.h"

namespace {

TEST(LetterCase, OnlySingleByteLetters) {
  struct Case {
    const char* text;
    std::string upper;
    std::string lower;
  } cases[] = {
      {"aBc-1", "ABC-1", "abc-1"},
      {"", "", ""},
      {"\xC1\x61" "a", "\xC1\x61" "A", "\xC1\x61" "a"},  // the second byte of a pair keeps its case
      {"\xC1\x41" "A", "\xC1\x41" "A", "\xC1\x41" "a"},
      {"a\xC1", "A\xC1", "a\xC1"},  // a cut character stays
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ToUpperText(c.text).view(), c.upper);
    EXPECT_EQ(ToLowerText(c.text).view(), c.lower);
  }
}

TEST(TrimSpaces, SpaceSetAtBothEnds) {
  struct Case {
    const char* text;
    std::string expected;
  } cases[] = {
      {" \tab  ", "\tab"},
      {"\xA1\xA1 a b\xA1\xA1 ", "a b"},
      {" \xA1\xA1  \xA1\xA1", ""},
      {"", ""},
      {"\r\na\r\n", "\r\na\r\n"},
      {"\xA1 a", "\xA1 a"},         // A1 followed by a space is no full-width space
      {"a \xD6", "a "},             // a cut character goes, the spaces before it stay
      {" \xB0\xA1\xA1\xB0", "\xB0\xA1\xA1\xB0"},  // A1 A1 across two characters is no space
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(TrimSpaces(c.text).view(), c.expected);
  }
}

TEST(RemoveSpaces, EverySpaceGoes) {
  struct Case {
    const char* text;
    std::string expected;
  } cases[] = {
      {"a b\xA1\xA1" "c", "abc"},
      {"a\tb", "a\tb"},
      {"\xB0\xA1\xA1\xB0 b", "\xB0\xA1\xA1\xB0" "b"},
      {"a b\xD6", "ab"},  // a cut character at the end is dropped
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(RemoveSpaces(c.text).view(), c.expected);
  }
}

TEST(TextToInt, LeadingInteger) {
  struct Case {
    const char* text;
    int expected;
  } cases[] = {
      {"8080", 8080},
      {"  -12abc", -12},
      {"abc", 0},
      {"", 0},
      {"\xA3\xB8\xA3\xB0", 80},           // full-width digits
      {"\xA3\xAD\xA3\xB5", -5},           // full-width minus
      {"\xA1\xA1\xA3\xAB" "7", 7},        // full-width space and plus
      {"4294967297", 1},                  // wraps modulo 2^32
      {"2147483648", -2147483647 - 1},
      {"-2147483648", -2147483647 - 1},
      {"\t\n\v\f\r 9", 9},
      {"+-3", 0},
      {"- 3", 0},
      {"\xD6\x31" "2", 0},  // the 31 is the second byte of a character
      {"12\xA3", 12},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(TextToInt(c.text), c.expected);
  }
}

}  // namespace
