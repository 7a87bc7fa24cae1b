// Construction of the three value types, the literal conversion point, and
// the primitives that count plain bytes (no character step).
#include "text/Text.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "text/Fatal.h"
#include "text/CodePageText.h"

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

Text operator""_cp936(const char* utf8, std::size_t size) { return Utf8ToAnsi(Text(utf8, size)); }

// ---- Texts ---------------------------------------------------------------------

namespace {

// The bytes from zero-based `offset`, at most `n` of them, clamped to the text.
Text Slice(const Text& text, std::size_t offset, std::size_t n) {
  if (offset >= text.size() || n == 0) return {};
  return Text(text.data() + offset, std::min(n, text.size() - offset));
}

}  // namespace

int TextLength(const Text& text) { return static_cast<int>(text.size()); }

Text LeftText(const Text& text, int n) {
  if (n <= 0) return {};
  return Slice(text, 0, static_cast<std::size_t>(n));
}

Text RightText(const Text& text, int n) {
  if (n <= 0) return {};
  std::size_t keep = std::min(static_cast<std::size_t>(n), text.size());
  return Slice(text, text.size() - keep, keep);
}

Text MidText(const Text& text, int startPos, int n) {
  if (startPos < 1 || n <= 0) return {};
  return Slice(text, static_cast<std::size_t>(startPos) - 1, static_cast<std::size_t>(n));
}

Text CharFromCode(int code) {
  char byte = static_cast<char>(code & 0xFF);
  return Text(&byte, 1);  // the zero byte gives the empty Text
}

Text BlankText(int n) {
  if (n <= 0) return {};
  ByteString bytes(static_cast<std::size_t>(n), ' ');
  return Text(std::move(bytes));
}

Text ConcatText(std::initializer_list<std::string_view> parts) {
  std::size_t total = 0;
  for (std::string_view part : parts) total += part.size();
  ByteString bytes;
  bytes.reserve(total);
  for (std::string_view part : parts) bytes.append(part.data(), part.size());
  return Text(std::move(bytes));
}

int CompareText(const Text& a, const Text& b) {
  std::size_t common = std::min(a.size(), b.size());
  int order = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);  // memcmp compares unsigned bytes
  if (order != 0) return order < 0 ? -1 : 1;
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

// ---- Lists ---------------------------------------------------------------------

int ListCount(const TextList& list) { return static_cast<int>(list.size()); }

const Text& ListItem(const TextList& list, int index) {
  if (index < 1) RaiseFatalError(4, "数组成员引用下标必须大于等于1"_cp936);
  if (index > ListCount(list)) RaiseFatalError(1, "数组成员引用下标超出定义范围"_cp936);
  return list[static_cast<std::size_t>(index) - 1];
}

void ListAppend(TextList& list, const Text& text) { list.push_back(text); }

// ---- Bytes ---------------------------------------------------------------------

int BytesLength(const Bytes& data) { return static_cast<int>(data.size()); }

Bytes BytesLeft(const Bytes& data, int n) {
  if (n <= 0) return {};
  return Bytes(data.data(), std::min(static_cast<std::size_t>(n), data.size()));
}

Bytes BlankBytes(int n) {
  if (n <= 0) return {};
  return Bytes(ByteString(static_cast<std::size_t>(n), '\0'));
}

Bytes ConcatBytes(std::initializer_list<std::string_view> parts) {
  std::size_t total = 0;
  for (std::string_view part : parts) total += part.size();
  ByteString bytes;
  bytes.reserve(total);
  for (std::string_view part : parts) bytes.append(part.data(), part.size());
  return Bytes(std::move(bytes));
}

int CompareBytes(const Bytes& a, const Bytes& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  if (a.empty()) return 0;
  int order = std::memcmp(a.data(), b.data(), a.size());
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

Bytes TextToBytes(const Text& text) { return Bytes(text.data(), text.size()); }

Text BytesToText(const Bytes& data) { return Text(data.data(), data.size()); }
Text BytesToText(Bytes&& data) { return Text(std::move(data).Release()); }
