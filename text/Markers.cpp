#include "text/Markers.h"

namespace {

Text WithQuotes(const Text& marker) {
  static const Text kQuotePlaceholder = "#引号"_cp936;
  return ReplaceText(marker, kQuotePlaceholder, "\"", 1, -1, true);
}

}  // namespace

Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker, int startPos,
                 bool ignoreCase) {
  Text start = WithQuotes(startMarker);
  Text end = WithQuotes(endMarker);
  int a = FindText(text, start, startPos, ignoreCase);
  if (a != -1) a += TextLength(start);
  int b = FindText(text, end, a, ignoreCase);
  if (a == -1 || b == -1) return {};
  return MidText(text, a, b - a);
}

Text HeaderValue(const Text& line) {
  int colon = FindText(line, ":");
  if (colon == -1) return {};
  return TrimSpaces(RightText(line, TextLength(line) - colon));
}
