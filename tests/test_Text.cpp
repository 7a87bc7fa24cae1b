#include <gtest/gtest.h>

#include <string>

#include "text/Text.h"

namespace {

TEST(Text, NeverHoldsAZeroByteAndAbsentIsEmpty) {
  EXPECT_EQ(Text().view(), "");
  EXPECT_EQ(Text(nullptr).view(), "");
  EXPECT_EQ(Text(std::string("ab\0cd", 5)).view(), "ab");
  EXPECT_EQ(Text("ab\0cd", 5).view(), "ab");
  EXPECT_EQ(CompareText(Text(), ""), 0);
  EXPECT_STREQ(Text().c_str(), "");
}

TEST(Text, CountedBytePieces) {
  struct Case {
    const char* name;
    Text actual;
    std::string expected;
  } cases[] = {
      {"LeftText 5", LeftText("abc", 5), "abc"},
      {"LeftText 0", LeftText("abc", 0), ""},
      {"LeftText -2", LeftText("abc", -2), ""},
      {"LeftText cuts a pair", LeftText("\xD6\xD0", 1), "\xD6"},
      {"RightText 2", RightText("abc", 2), "bc"},
      {"RightText 9", RightText("abc", 9), "abc"},
      {"RightText -1", RightText("abc", -1), ""},
      {"MidText 2,5", MidText("abc", 2, 5), "bc"},
      {"MidText 4,1", MidText("abc", 4, 1), ""},
      {"MidText 0,2", MidText("abc", 0, 2), ""},
      {"MidText 2,0", MidText("abc", 2, 0), ""},
      {"MidText 2,1", MidText("abc", 2, 1), "b"},
      {"CharFromCode 0", CharFromCode(0), ""},
      {"CharFromCode 65", CharFromCode(65), "A"},
      {"CharFromCode 321", CharFromCode(321), "A"},
      {"CharFromCode -32", CharFromCode(-32), "\xE0"},
      {"CharFromCode 256", CharFromCode(256), ""},
      {"BlankText 3", BlankText(3), "   "},
      {"BlankText -1", BlankText(-1), ""},
      {"ConcatText", ConcatText(Text("a"), Text(), "b", Text("cd")), "abcd"},
      {"ConcatText none", ConcatText(), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.actual.view(), c.expected);
  }
  EXPECT_EQ(TextLength("\xD6\xD0" "a"), 3);
  EXPECT_EQ(TextLength(Text()), 0);
}

TEST(CompareText, SignAndUnsignedBytes) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  } cases[] = {
      {"abc", "abc", 0}, {"", "", 0},     {"ab", "abc", -1}, {"abc", "ab", 1},
      {"a", "B", 1},     {"\x80", "a", 1}, {"a", "\xFF", -1}, {"", "a", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << '"' << c.a << "\" vs \"" << c.b << '"');
    int order = CompareText(c.a, c.b);
    EXPECT_EQ((order > 0) - (order < 0), c.sign);
  }
}

TEST(Bytes, Primitives) {
  const Bytes three("a\0b", 3);
  EXPECT_EQ(BytesLength(three), 3);
  EXPECT_EQ(BytesLeft(three, 5), three);
  EXPECT_EQ(BytesLeft(three, 2), Bytes("a\0", 2));
  EXPECT_EQ(BytesLeft(three, -1), Bytes());
  EXPECT_EQ(BlankBytes(2), Bytes("\0\0", 2));
  EXPECT_EQ(BlankBytes(0), Bytes());
  EXPECT_EQ(ConcatBytes(three, Bytes(), three), Bytes("a\0ba\0b", 6));
  EXPECT_EQ(CompareBytes(Bytes(), Bytes()), 0);
  EXPECT_EQ(CompareBytes(three, Bytes("a\0b", 3)), 0);
  EXPECT_NE(CompareBytes(three, Bytes("a\0c", 3)), 0);
  EXPECT_NE(CompareBytes(three, BytesLeft(three, 2)), 0);  // same prefix, other length
  EXPECT_EQ(TextToBytes("ab"), Bytes("ab", 2));
  EXPECT_EQ(TextToBytes(""), Bytes());
  EXPECT_EQ(BytesToText(Bytes("a\0b", 3)).view(), "a");
  EXPECT_EQ(BytesToText(Bytes("\0a", 2)).view(), "");
  EXPECT_EQ(BytesToText(Bytes("ab", 2)).view(), "ab");
  EXPECT_EQ(BytesToText(three).view(), "a");  // a named Bytes is copied from, not taken over
  EXPECT_EQ(BytesLength(three), 3);
}

TEST(TextList, AppendCountAndItems) {
  TextList list;
  EXPECT_EQ(ListCount(list), 0);
  Text item = "a";
  ListAppend(list, item);
  ListAppend(list, "");
  ListAppend(list, "c");
  item = "changed";  // the list keeps its own copy
  EXPECT_EQ(ListCount(list), 3);
  EXPECT_EQ(ListItem(list, 1).view(), "a");
  EXPECT_EQ(ListItem(list, 2).view(), "");
  EXPECT_EQ(ListItem(list, 3).view(), "c");
}

TEST(BitOr, Integers) {
  EXPECT_EQ(BitOr(5, 3), 7);
  EXPECT_EQ(BitOr(5), 5);
  EXPECT_EQ(BitOr(1, 2, 4, 8), 15);
}

// ExitProcess(-1): Windows reports the code whole, POSIX keeps its low eight
// bits. And GoogleTest on Windows reads the dying child's standard error in
// text mode, so the box's CR LF reaches the check as LF there.
constexpr int kFatalStatus = LINKPEEL_TEST_ON_WINDOWS ? -1 : 255;
std::string AsCaptured(std::string text) {
  if (LINKPEEL_TEST_ON_WINDOWS) std::erase(text, '\r');
  return text;
}

// The box text arrives on standard error as UTF-8 (no window toolkit is up).
TEST(ListItemDeathTest, OutOfRangeIsTheFatalError) {
  TextList two;
  ListAppend(two, "a");
  ListAppend(two, "b");
  EXPECT_EXIT(ListItem(two, 0), testing::ExitedWithCode(kFatalStatus),
              AsCaptured("错误\n运行时出错!\r\n\r\n错误代码：4\r\n\r\n错误信息：数组成员引用下标必须大于等于1\r\n"));
  EXPECT_EXIT(ListItem(two, 3), testing::ExitedWithCode(kFatalStatus),
              AsCaptured("错误\n运行时出错!\r\n\r\n错误代码：1\r\n\r\n错误信息：数组成员引用下标超出定义范围\r\n"));
  EXPECT_EXIT(ListItem(TextList(), 1), testing::ExitedWithCode(kFatalStatus), "错误代码：1");
  EXPECT_EXIT(ListItem(two, -7), testing::ExitedWithCode(kFatalStatus), "错误代码：4");
}

}  // namespace
