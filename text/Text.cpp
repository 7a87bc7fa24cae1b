// Construction of the three value types and the literal conversion point.
#include "text/Text.h"

#include <cstring>
#include <string>

#include "platform/CodePages.h"

namespace {

std::size_t UpToZero(const char* data, std::size_t size) {
  const void* zero = std::memchr(data, 0, size);
  return zero == nullptr ? size : static_cast<std::size_t>(static_cast<const char*>(zero) - data);
}

}  // namespace

Text::Text(const char* s) {
  if (s != nullptr) bytes_.assign(s, std::strlen(s));
}

Text::Text(const char* data, std::size_t size) {
  if (data != nullptr) bytes_.assign(data, UpToZero(data, size));
}

Text::Text(std::string_view bytes) : Text(bytes.data(), bytes.size()) {}

Text::Text(ByteString&& bytes) : bytes_(std::move(bytes)) {
  bytes_.resize(UpToZero(bytes_.data(), bytes_.size()));
}

Bytes::Bytes(const void* data, std::size_t size) {
  if (data != nullptr && size != 0) bytes_.assign(static_cast<const char*>(data), size);
}

Bytes::Bytes(std::string_view bytes) : Bytes(bytes.data(), bytes.size()) {}

Text operator""_cp936(const char* utf8, std::size_t size) {
  std::string source(utf8, size);
  int units = MultiByteToWideChar(CP_UTF8, 0, source.c_str(), -1, nullptr, 0);
  std::u16string wide(static_cast<std::size_t>(units), u'\0');
  MultiByteToWideChar(CP_UTF8, 0, source.c_str(), -1, wide.data(), units);
  int need = WideCharToMultiByte(936, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  ByteString bytes(static_cast<std::size_t>(need), '\0');
  WideCharToMultiByte(936, 0, wide.c_str(), -1, bytes.data(), need, nullptr, nullptr);
  return Text(std::move(bytes));  // ends at the converted terminator
}
