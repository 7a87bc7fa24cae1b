#include "web/Url.h"

#include "text/Markers.h"

Text UrlHost(const Text& url, bool shortForm, bool keepPort, std::optional<int> labelCount) {
  Text text = ToLowerText(url);
  if (!labelCount.has_value()) {
    if (CompareText(RightText(text, 1), "/") != 0) text = ConcatText(text, "/");
    Text host;
    if (CompareText(LeftText(text, 8), "https://") == 0) {
      host = TextBetween(text, "https://", "/");
    } else {
      if (FindText(text, "http://") == -1) text = ConcatText("http://", text);
      host = TextBetween(text, "http://", "/");
    }
    if (shortForm) {
      TextList pieces = SplitText(host, ".");
      int count = ListCount(pieces);
      if (count > 1) host = ConcatText(ListItem(pieces, count - 1), ".", ListItem(pieces, count));
    }
    text = host;
  } else {
    text = ReplaceText(text, "http://", "", 1, -1, true);
    text = ReplaceText(text, "https://", "", 1, -1, true);
    int slash = FindText(text, "/");
    if (slash != -1) text = LeftText(text, slash - 1);
    // Dots are counted back from the end; a dot in the last place is not one.
    int length = TextLength(text);
    int p = length;
    for (int i = 0; i < *labelCount; ++i) p = FindTextReverse(text, ".", p);
    int q = FindTextReverse(text, ".", p);
    if (shortForm) {
      text = RightText(text, length - q);
    } else if (q != -1) {
      int r = FindTextReverse(text, ".", q);
      if (r != -1) text = RightText(text, length - r);
    }
  }
  if (!keepPort) {
    int colon = FindText(text, ":");
    if (colon != -1) text = LeftText(text, colon - 1);
  }
  return text;
}

int UrlPort(const Text& url) {
  Text hostAndPort = UrlHost(url, false, true);
  int colon = FindTextReverse(hostAndPort, ":");
  if (colon == -1) return CompareText(ToLowerText(LeftText(url, 5)), "https") == 0 ? 443 : 80;
  return TextToInt(RightText(hostAndPort, TextLength(hostAndPort) - colon));
}

Text UrlPath(const Text& url) {
  Text host = UrlHost(url);
  int hostAt = FindText(url, host, 1, true);
  int slash = FindText(url, "/", hostAt, true);
  if (slash == -1) return "/";
  return RightText(url, TextLength(url) - slash + 1);
}
