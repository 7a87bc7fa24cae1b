// Code-page conversion over glibc iconv.
//
//   1. Code page 936 tables: built once from iconv's CP936 converter's answers
//   2. UTF-8 decoding and encoding (maximal invalid sequence -> U+FFFD)
//   3. MultiByteToWideChar / WideCharToMultiByte: sizing and the two passes
//
// iconv is asked once per two-byte character, at build time (MakeCp936Tables),
// and what it answered fills a decode table (GBK pair -> UTF-16 unit) and its
// inverse at the first conversion. Conversions then run over the tables, so
// that ASCII, which is the same in all three code pages, costs one compare a
// byte, and a page of several megabytes converts at memory speed.
#include "platform/CodePages.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>

// Written by make_cp936_tables: the unit each code decodes to, 0 for none.
extern const char16_t kCp936Single[128];       // [byte - 0x80]
extern const char16_t kCp936Pairs[126 * 191];  // [(lead - 0x81) * 191 + trail - 0x40]

namespace {

// ---- 1. Code page 936 tables ------------------------------------------------

constexpr char16_t kReplacement = u'\uFFFD';
constexpr char16_t kUnmapped = 0;  // no character in the table slot

struct Cp936Tables {
  char16_t decode[256 * 256] = {};  // (lead << 8 | trail) -> unit, kUnmapped if none
  char16_t single[256] = {};        // single bytes 0x80..0xFF that stand alone (0x80 is the euro)
  std::uint16_t encode[65536] = {}; // unit -> bytes (lead << 8 | trail, or one byte), 0 if none
};

const Cp936Tables& Tables() {
  static std::unique_ptr<Cp936Tables> tables;
  static std::once_flag once;
  std::call_once(once, [] {
    tables = std::make_unique<Cp936Tables>();
    for (int b = 0x80; b <= 0xFF; ++b) {
      char16_t unit = kCp936Single[b - 0x80];
      tables->single[b] = unit;
      if (unit != kUnmapped) tables->encode[unit] = static_cast<std::uint16_t>(b);
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        char16_t unit = kCp936Pairs[(lead - 0x81) * 191 + trail - 0x40];
        if (unit == kUnmapped) continue;
        tables->decode[lead << 8 | trail] = unit;
        if (tables->encode[unit] == 0) tables->encode[unit] = static_cast<std::uint16_t>(lead << 8 | trail);
      }
    }
  });
  return *tables;
}

// ---- 2. Decoders and encoders -----------------------------------------------
//
// Each walks its source and hands every output unit (or byte) to `emit`, which
// either counts or stores. The walks are templates so that counting and
// storing compile to the same tight loop.

template <class Emit>
void Decode936(std::string_view src, Emit&& emit) {
  const Cp936Tables& t = Tables();
  const auto* p = reinterpret_cast<const unsigned char*>(src.data());
  const auto* end = p + src.size();
  while (p < end) {
    unsigned char b = *p;
    if (b < 0x80) {
      emit(static_cast<char16_t>(b));
      ++p;
      continue;
    }
    if (p + 1 < end) {
      char16_t unit = t.decode[b << 8 | p[1]];
      if (unit != kUnmapped) {
        emit(unit);
        p += 2;
        continue;
      }
    }
    char16_t alone = t.single[b];
    emit(alone != kUnmapped ? alone : u'?');
    ++p;
  }
}

template <class Emit>
void DecodeUtf8(std::string_view src, Emit&& emit) {
  const auto* p = reinterpret_cast<const unsigned char*>(src.data());
  const auto* end = p + src.size();
  while (p < end) {
    unsigned char b = *p;
    if (b < 0x80) {
      emit(static_cast<char16_t>(b));
      ++p;
      continue;
    }
    // Lead byte: number of continuation bytes and the range of the first one,
    // which rules out overlong forms, surrogates and values past U+10FFFF.
    int need;
    unsigned char lo = 0x80, hi = 0xBF;
    char32_t cp;
    if (b >= 0xC2 && b <= 0xDF) { need = 1; cp = b & 0x1F; }
    else if (b == 0xE0) { need = 2; lo = 0xA0; cp = b & 0x0F; }
    else if (b >= 0xE1 && b <= 0xEC) { need = 2; cp = b & 0x0F; }
    else if (b == 0xED) { need = 2; hi = 0x9F; cp = b & 0x0F; }
    else if (b >= 0xEE && b <= 0xEF) { need = 2; cp = b & 0x0F; }
    else if (b == 0xF0) { need = 3; lo = 0x90; cp = b & 0x07; }
    else if (b >= 0xF1 && b <= 0xF3) { need = 3; cp = b & 0x07; }
    else if (b == 0xF4) { need = 3; hi = 0x8F; cp = b & 0x07; }
    else { emit(kReplacement); ++p; continue; }
    ++p;
    bool complete = true;
    for (int i = 0; i < need; ++i) {
      if (p == end || *p < lo || *p > hi) { complete = false; break; }
      cp = cp << 6 | (*p & 0x3F);
      ++p;
      lo = 0x80;
      hi = 0xBF;
    }
    if (!complete) { emit(kReplacement); continue; }  // the maximal subpart is one U+FFFD
    if (cp >= 0x10000) {
      cp -= 0x10000;
      emit(static_cast<char16_t>(0xD800 + (cp >> 10)));
      emit(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      emit(static_cast<char16_t>(cp));
    }
  }
}

template <class Emit>
void Encode936(std::u16string_view src, Emit&& emit) {
  const Cp936Tables& t = Tables();
  for (size_t i = 0; i < src.size(); ++i) {
    char16_t u = src[i];
    if (u < 0x80) { emit(static_cast<char>(u)); continue; }
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < src.size() && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF)
      ++i;  // a supplementary character: one default character for the pair
    std::uint16_t bytes = (u >= 0xD800 && u <= 0xDFFF) ? 0 : t.encode[u];
    if (bytes == 0) emit('?');
    else if (bytes > 0xFF) { emit(static_cast<char>(bytes >> 8)); emit(static_cast<char>(bytes & 0xFF)); }
    else emit(static_cast<char>(bytes));
  }
}

template <class Emit>
void EncodeUtf8(std::u16string_view src, Emit&& emit) {
  for (size_t i = 0; i < src.size(); ++i) {
    char32_t cp = src[i];
    if (cp < 0x80) { emit(static_cast<char>(cp)); continue; }
    if (cp >= 0xD800 && cp <= 0xDFFF) {
      bool pair = cp <= 0xDBFF && i + 1 < src.size() && src[i + 1] >= 0xDC00 && src[i + 1] <= 0xDFFF;
      if (pair) cp = 0x10000 + ((cp - 0xD800) << 10) + (src[++i] - 0xDC00);
      else cp = kReplacement;
    }
    if (cp < 0x800) {
      emit(static_cast<char>(0xC0 | cp >> 6));
    } else if (cp < 0x10000) {
      emit(static_cast<char>(0xE0 | cp >> 12));
      emit(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
    } else {
      emit(static_cast<char>(0xF0 | cp >> 18));
      emit(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
      emit(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
    }
    emit(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// ---- 3. The platform calls -------------------------------------------------

enum class Page { k936, kUtf8, kUnknown };

Page PageOf(UINT codePage) {
  if (codePage == CP_ACP || codePage == 936) return Page::k936;
  if (codePage == CP_UTF8) return Page::kUtf8;
  return Page::kUnknown;
}

// Counts, then stores when a buffer is given and the count fits. Both passes
// run the same walk; nothing is written past `capacity`.
template <class Unit, class Walk>
int Run(Walk&& walk, Unit* buffer, int capacity) {
  long long count = 0;
  walk([&](Unit) { ++count; });
  if (count > 0x7FFFFFFF) return 0;
  if (capacity == 0) return static_cast<int>(count);
  if (buffer == nullptr || count > capacity) return 0;
  Unit* out = buffer;
  walk([&](Unit u) { *out++ = u; });
  return static_cast<int>(count);
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD /*flags*/, LPCSTR source, int sourceLength,
                        LPWSTR buffer, int capacity) {
  Page page = PageOf(codePage);
  if (source == nullptr || page == Page::kUnknown || sourceLength < -1 || sourceLength == 0 || capacity < 0)
    return 0;
  std::string_view src(source, sourceLength == -1 ? std::strlen(source) + 1 : static_cast<size_t>(sourceLength));
  auto walk = [&](auto&& emit) {
    if (page == Page::k936) Decode936(src, emit);
    else DecodeUtf8(src, emit);
  };
  return Run<char16_t>(walk, buffer, capacity);
}

int WideCharToMultiByte(UINT codePage, DWORD /*flags*/, LPCWSTR source, int sourceLength,
                        LPSTR buffer, int capacity, LPCSTR /*defaultChar*/, LPBOOL usedDefaultChar) {
  if (usedDefaultChar != nullptr) *usedDefaultChar = FALSE;
  Page page = PageOf(codePage);
  if (source == nullptr || page == Page::kUnknown || sourceLength < -1 || sourceLength == 0 || capacity < 0)
    return 0;
  std::u16string_view src =
      sourceLength == -1 ? std::u16string_view(source, std::char_traits<char16_t>::length(source) + 1)
                         : std::u16string_view(source, static_cast<size_t>(sourceLength));
  auto walk = [&](auto&& emit) {
    if (page == Page::k936) Encode936(src, emit);
    else EncodeUtf8(src, emit);
  };
  return Run<char>(walk, buffer, capacity);
}
