#include "web/Cookies.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string S(const Text& t) { return std::string(t.view()); }

TEST(MergeCookies, NewPairsFirstThenSurvivingOldOnes) {
  struct Case {
    const char* cookies;
    const char* newCookies;
    const char* merged;
    const char* newAfter;  // newCookies without its spaces
  } cases[] = {
      {"A=1; B=2", "B=3; C=4", "B=3; C=4; A=1", "B=3;C=4"},
      {"A=1", "A=deleted", "", "A=deleted"},
      {"A=deleted", "", "", ""},
      {"A=1; A=2", "", "A=1", ""},
      {"", "A=1; A=2", "A=1; A=2", "A=1;A=2"},
      {"", "A=1; A=1", "A=1", "A=1;A=1"},
      {"flag; A=1", "flag=x", "flag=x; A=1", "flag=x"},
      {"A = 1 ; B=2;", "", "A=1; B=2", ""},
      {"A=1;;B=2", "", "A=1; ; B=2", ""},
      {"", "", "", ""},
      {"A=1", "B=2=deleted", "A=1", "B=2=deleted"},  // the mark is on bytes, not on the value
      {"a=1", "A=2", "A=2; a=1", "A=2"},             // names have case
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.cookies) + " | " + c.newCookies);
    Text cookies = c.cookies, newCookies = c.newCookies;
    Text result = MergeCookies(cookies, newCookies);
    EXPECT_EQ(S(cookies), c.merged);
    EXPECT_EQ(S(result), c.merged);
    EXPECT_EQ(S(newCookies), c.newAfter);
  }
}

TEST(MergeCookies, FullWidthSpacesGoToo) {
  Text cookies = "A=1;\xA1\xA1" "B=2", newCookies = "\xA1\xA1" "C=3";
  EXPECT_EQ(S(MergeCookies(cookies, newCookies)), "C=3; A=1; B=2");
}

TEST(CookieHelpers, NamesListsAndRepeats) {
  EXPECT_EQ(S(CookieName(" A =1")), "A");
  EXPECT_EQ(S(CookieName("flag")), "flag");
  EXPECT_EQ(S(CookieName("=v")), "");
  EXPECT_EQ(S(CookieName("a=b=c")), "a");

  TextList pairs{"A=1", "flag", "B=2"};
  EXPECT_TRUE(HasCookieName(pairs, "flag"));
  EXPECT_TRUE(HasCookieName(pairs, "B"));
  EXPECT_FALSE(HasCookieName(pairs, "b"));
  EXPECT_FALSE(HasCookieName({}, ""));

  EXPECT_EQ(S(JoinDistinct("x; y; x", "; ")), "x; y");
  EXPECT_EQ(S(JoinDistinct("x;;y;;x", ";")), "x;;y");
  EXPECT_EQ(S(JoinDistinct("", "; ")), "");
  EXPECT_EQ(S(JoinDistinct("x; x", "")), "x; x");  // no separator: one item

  EXPECT_EQ(ListIndexOf({"x", "", "y"}, ""), 2);
  EXPECT_EQ(ListIndexOf({"x", "y", "y"}, "y"), 2);
  EXPECT_EQ(ListIndexOf({"x", "y"}, "z"), -1);
  EXPECT_EQ(ListIndexOf({}, ""), -1);
}

}  // namespace
