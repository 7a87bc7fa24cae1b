#include "web/Cookies.h"

Text MergeCookies(Text& cookies, Text& newCookies) {
  cookies = RemoveSpaces(cookies);
  newCookies = RemoveSpaces(newCookies);
  TextList oldPairs = SplitText(cookies, ";");
  TextList merged = SplitText(newCookies, ";");
  // The test sees the list as it grows: of several old pairs of one name
  // only the first gets in, and a new pair shuts out every old one.
  for (int i = 1; i <= ListCount(oldPairs); ++i) {
    const Text& pair = ListItem(oldPairs, i);
    if (!HasCookieName(merged, CookieName(pair))) ListAppend(merged, pair);
  }
  cookies = Text();
  for (int i = 1; i <= ListCount(merged); ++i) {
    const Text& pair = ListItem(merged, i);
    if (CompareText(RightText(pair, 8), "=deleted") != 0) cookies = ConcatText(cookies, pair, "; ");
  }
  cookies = LeftText(cookies, TextLength(cookies) - 2);
  cookies = JoinDistinct(cookies, "; ");
  return cookies;
}

Text CookieName(const Text& pair) {
  int equals = FindText(pair, "=");
  return TrimSpaces(equals == -1 ? pair : LeftText(pair, equals - 1));
}

bool HasCookieName(const TextList& pairs, const Text& name) {
  for (int i = 1; i <= ListCount(pairs); ++i) {
    if (CompareText(CookieName(ListItem(pairs, i)), name) == 0) return true;
  }
  return false;
}

Text JoinDistinct(const Text& text, const Text& separator) {
  TextList items = SplitText(text, separator);
  TextList seen;
  Text result;
  for (int i = 1; i <= ListCount(items); ++i) {
    const Text& item = ListItem(items, i);
    if (ListIndexOf(seen, item) == -1) {
      ListAppend(seen, item);
      result = ConcatText(result, item, separator);
    }
  }
  return LeftText(result, TextLength(result) - TextLength(separator));
}

int ListIndexOf(const TextList& list, const Text& item) {
  for (int i = 1; i <= ListCount(list); ++i) {
    if (CompareText(ListItem(list, i), item) == 0) return i;
  }
  return -1;
}
