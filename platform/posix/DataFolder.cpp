#include "platform/DataFolder.h"

#include <cstdlib>

#include "platform/Utf8.h"

namespace {

// UTF-8 to code page 936; "" when a character does not survive the way.
std::string Cp936Of(const std::string& utf8) {
  std::u16string wide = WideOf(utf8.c_str(), CP_UTF8);
  int bytes = WideCharToMultiByte(936, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return {};
  std::string text(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(936, 0, wide.c_str(), -1, text.data(), bytes, nullptr, nullptr);
  text.resize(static_cast<std::size_t>(bytes) - 1);
  return Utf8Of(text.c_str()) == utf8 ? text : std::string();
}

}  // namespace

std::string DataFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::string base;
  if (data != nullptr && data[0] == '/') {
    base = data;
  } else {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') return {};
    base = std::string(home) + "/.local/share";
  }
  return Cp936Of(base + "/linkpeel");
}
