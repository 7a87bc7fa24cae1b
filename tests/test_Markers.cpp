#include "text/Markers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextBetween, FirstStartThenNextEnd) {
  struct Case {
    const char* text;
    Text startMarker;
    Text endMarker;
    int startPos;
    bool ignoreCase;
    std::string expected;
  } cases[] = {
      {"a[b]c", "[", "]", 0, false, "b"},
      {"[]", "[", "]", 0, false, ""},
      {"a[b", "[", "]", 0, false, ""},
      {"ab]", "[", "]", 0, false, ""},
      {"[a][b]", "[", "]", 0, false, "a"},
      {"]x[y]", "[", "]", 0, false, "y"},
      {"[a][b]", "[", "]", 2, false, "b"},
      {"[a][b]", "[", "]", 1, false, "a"},
      {"ab[", "[", "]", 0, false, ""},
      {"a[b]c", "[", "", 0, false, ""},
      {"ab]c]", "", "]", 0, false, "ab"},
      {"[[x]]", "[[", "]]", 0, false, "x"},
      {"name=\"v\"", "name=#引号"_cp936, "#引号"_cp936, 0, false, "v"},
      {"User-agent: X\r\n", "User-Agent:", "\r\n", 0, true, " X"},
      {"User-agent: X\r\n", "User-Agent:", "\r\n", 0, false, ""},
      {"\xB0[[x]", "[", "]", 0, false, "x"},  // a "[" that is a second byte is no marker
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.text << "\" between \"" << c.startMarker.view() << "\" and \""
                                    << c.endMarker.view() << '"');
    EXPECT_EQ(TextBetween(c.text, c.startMarker, c.endMarker, c.startPos, c.ignoreCase).view(), c.expected);
  }
}

TEST(TextBetween, QuotePlaceholderIsItsOwnBytes) {
  EXPECT_EQ("#引号"_cp936.view(), "\x23\xD2\xFD\xBA\xC5");
  // Only the markers are rewritten, never the searched text.
  EXPECT_EQ(TextBetween("a#引号b\"c\""_cp936, "#引号"_cp936, "#引号"_cp936).view(), "c");
  EXPECT_EQ(TextBetween("k=\"\"", "k=#引号"_cp936, "#引号"_cp936).view(), "");
}

TEST(HeaderValue, AfterTheFirstColonTrimmed) {
  struct Case {
    const char* line;
    std::string expected;
  } cases[] = {
      {"Location:  /s/abc  ", "/s/abc"},
      {"Host: a:80", "a:80"},
      {"no colon", ""},
      {"Name:", ""},
      {"Name:\tv ", "\tv"},
      {"Name:\xA1\xA1v\xA1\xA1", "v"},
      {"Set-Cookie: a=b\r\n", "a=b\r\n"},
      {":x", "x"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(HeaderValue(c.line).view(), c.expected);
  }
}

}  // namespace
