// The stand-in's code page 936 against the C library's converter, from which
// its tables are made (Linux only: the Windows side's tables are Windows').
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <vector>

#include "platform/CodePages.h"

namespace {

std::u16string Wide(UINT codePage, const std::string& source) {
  int units = MultiByteToWideChar(codePage, 0, source.c_str(), -1, nullptr, 0);
  std::u16string wide(static_cast<size_t>(units), u'\0');
  EXPECT_EQ(MultiByteToWideChar(codePage, 0, source.c_str(), -1, wide.data(), units), units);
  return wide;
}

// The tables are the C library's CP936 converter's answers, code for code:
// a code it decodes to one UTF-16 unit gives that unit; any other code is no
// character of 936 (a lone byte becomes "?", a pair falls apart into two).
TEST(CodePages, EveryCodeOf936DecodesAsTheCLibrarysConverterDoes) {
  iconv_t cd = iconv_open("UTF-16LE", "CP936");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  auto reference = [&](const std::string& code) -> char16_t {  // 0 for none
    char16_t out[4] = {};
    char* in = const_cast<char*>(code.data());
    char* outPtr = reinterpret_cast<char*>(out);
    size_t inLeft = code.size(), outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    bool one = iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) && inLeft == 0 &&
               sizeof out - outLeft == 2;
    return one ? out[0] : 0;
  };
  std::vector<std::string> codes;
  for (int b = 0x80; b <= 0xFF; ++b) codes.push_back({static_cast<char>(b)});
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail != 0x7F) codes.push_back({static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  for (const std::string& code : codes) {
    char16_t expected = reference(code);
    std::u16string wide = Wide(936, code);
    if (expected != 0) {
      ASSERT_EQ(wide, std::u16string({expected, u'\0'})) << std::hex << (code[0] & 0xFF) << ' ' << (code.back() & 0xFF);
    } else if (code.size() == 1) {
      ASSERT_EQ(wide, std::u16string(u"?", 2)) << std::hex << (code[0] & 0xFF);
    } else {
      ASSERT_EQ(wide.size(), 3u) << std::hex << (code[0] & 0xFF) << ' ' << (code[1] & 0xFF);
    }
  }
  iconv_close(cd);
}

}  // namespace
