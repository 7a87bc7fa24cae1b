// Page-like texts for the text benchmarks: what a share page looks like in
// bulk (mostly ASCII markup with runs of Chinese), and a text of nothing but
// two-byte characters. Each holds a marker near its end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace page_maker {

// 10 bytes in every code page we use.
inline const std::string kAsciiMarker = "share_uk=\"";
// 分享时间 and a full-width colon, in code page 936: 10 bytes, 5 characters.
inline const std::string kWideMarker = "\xB7\xD6\xCF\xED\xCA\xB1\xBC\xE4\xA3\xBA";

// Mostly ASCII markup with runs of Chinese. `utf8` picks the encoding of the
// Chinese runs and adds percent escapes to the links, as a page arrives from
// the web; otherwise the runs are code page 936, as the page is searched.
inline std::string MarkupPage(std::size_t size, bool utf8) {
  const std::string chinese = utf8 ? "\xE6\x96\x87\xE4\xBB\xB6\xE5\x88\x86\xE4\xBA\xAB\xE7\xBD\x91\xE7\x9B\x98"
                                   : "\xCE\xC4\xBC\xFE\xB7\xD6\xCF\xED\xCD\xF8\xC5\xCC";
  const std::string link = utf8 ? "/s/1a%E6%96%87%20b?x=1&amp;y=%2F" : "/s/1ab?x=1&amp;y=2";
  std::string page;
  page.reserve(size + 512);
  std::uint32_t n = 0;
  while (page.size() < size) {
    page += "<li class=\"file-item\" data-id=\"";
    page += std::to_string(n++ * 2654435761u % 1000003u);
    page += "\"><a href=\"" + link + "\" title=\"";
    page += chinese;
    page += "\">";
    page += chinese + chinese;
    page += " 2014-05-01</a><span class=\"size\">12.5MB</span></li>\n";
  }
  page.resize(size);
  page.replace(size - 1000, kAsciiMarker.size() + 8, kAsciiMarker + "12345\";x");
  return page;
}

// Nothing but two-byte characters (GB2312 range), the marker near the end at
// a character start.
inline std::string WidePage(std::size_t size) {
  std::string page(size & ~std::size_t{1}, '\0');
  std::uint32_t state = 12345;
  for (std::size_t i = 0; i < page.size(); i += 2) {
    state = state * 1664525u + 1013904223u;
    page[i] = static_cast<char>(0xB0 + (state >> 24) % 40);
    page[i + 1] = static_cast<char>(0xA1 + (state >> 16) % 94);
  }
  page.replace(page.size() - 1000, kWideMarker.size(), kWideMarker);
  return page;
}

}  // namespace page_maker
