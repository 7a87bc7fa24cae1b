// make_cp936_tables OUTPUT: writes code page 936's decoding tables as C++
// source, asking the C library's CP936 converter once per code. Run at build
// time, so that no start of the program spends its milliseconds on the 24,000
// conversions; CodePages.cpp builds its lookup tables from what this writes.
//
//   kCp936Single[b - 0x80]                      a byte 0x80..0xFF standing alone
//   kCp936Pairs[(lead - 0x81) * 191 + trail - 0x40]   lead 0x81..0xFE, trail 0x40..0xFE
//
// Each holds the one UTF-16 unit the code decodes to, or 0 when it decodes to
// nothing, to more than one unit, or leaves bytes over.
#include <iconv.h>

#include <cstdio>

namespace {

char16_t Convert(iconv_t cd, const char* in, size_t inLength) {
  char16_t out[4] = {};
  char* inPtr = const_cast<char*>(in);
  char* outPtr = reinterpret_cast<char*>(out);
  size_t inLeft = inLength, outLeft = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return 0;
  if (sizeof out - outLeft != 2) return 0;  // not one UTF-16 unit
  return out[0];
}

void Write(std::FILE* out, const char* name, int count, char16_t (*unitAt)(iconv_t, int), iconv_t cd) {
  std::fprintf(out, "extern const char16_t %s[%d] = {", name, count);
  for (int i = 0; i < count; ++i) std::fprintf(out, "%s0x%X,", i % 16 == 0 ? "\n" : "", unitAt(cd, i));
  std::fprintf(out, "\n};\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_cp936_tables OUTPUT\n");
    return 2;
  }
  iconv_t cd = iconv_open("UTF-16LE", "CP936");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    std::perror("make_cp936_tables: the C library has no CP936 converter");
    return 1;
  }
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(out, "// Made by make_cp936_tables from the C library's CP936 converter.\n");
  Write(out, "kCp936Single", 128, [](iconv_t c, int i) {
    const char in[1] = {static_cast<char>(0x80 + i)};
    return Convert(c, in, 1);
  }, cd);
  Write(out, "kCp936Pairs", 126 * 191, [](iconv_t c, int i) {
    int trail = 0x40 + i % 191;
    if (trail == 0x7F) return char16_t{0};
    const char in[2] = {static_cast<char>(0x81 + i / 191), static_cast<char>(trail)};
    return Convert(c, in, 2);
  }, cd);
  iconv_close(cd);
  return std::fclose(out) == 0 ? 0 : 1;
}
