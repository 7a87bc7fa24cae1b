// Any bytes as a raw header block's pieces and as cookie texts: the cookie
// merge and the address splitting give values and never fail.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "web/Cookies.h"
#include "web/Url.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::size_t half = input.find('\n');
  Text cookies(input.substr(0, half));
  Text newCookies(half == std::string_view::npos ? std::string_view() : input.substr(half + 1));
  Text url(input);
  MergeCookies(cookies, newCookies);
  UrlHost(url, size % 2 == 0, size % 3 == 0, size % 5 == 0 ? std::optional<int>(static_cast<int>(size % 7) - 1) : std::nullopt);
  UrlPort(url);
  UrlPath(url);
  return 0;
}
