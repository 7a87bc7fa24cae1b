#include "resolve/SafeFileName.h"

#include <string>
#include <string_view>

#include "text/CodePageText.h"
#include "text/PercentCodes.h"

namespace {

bool IsForbiddenByte(unsigned char b) {
  return b < 0x20 || b == 0x7F || b == '/' || b == '\\' || b == '<' || b == '>' || b == ':' || b == '"' ||
         b == '|' || b == '?' || b == '*';
}

// A character of code page 936 survives the way to UTF-16 and back unchanged;
// bytes that are none come back as something else. Windows' own table also
// carries 0xFF and the user-defined pairs across, as private-use code points
// that name nothing on any other system: those count as no character, so a
// name comes out the same on every platform.
bool IsCp936Character(std::string_view character) {
  Text one(character);
  Bytes wide = ToWide(one, 936);
  if (wide.size() >= 2) {
    unsigned unit = static_cast<unsigned char>(wide.data()[0]) | static_cast<unsigned char>(wide.data()[1]) << 8;
    if (unit >= 0xE000 && unit <= 0xF8FF) return false;
  }
  return FromWide(wide, 936) == one;
}

int Utf8Length(std::string_view character) {
  // Every character of code page 936 above ASCII takes at most 3 bytes of UTF-8.
  return character.size() == 1 && static_cast<unsigned char>(character[0]) < 0x80 ? 1 : 3;
}

// Each character in turn: a lead byte 0x81-0xFE takes the next byte with it.
template <class Visit>
void ForEachCharacter(std::string_view text, Visit visit) {
  for (std::size_t i = 0; i < text.size();) {
    auto b = static_cast<unsigned char>(text[i]);
    std::size_t n = (b >= 0x81 && b <= 0xFE && i + 1 < text.size()) ? 2 : 1;
    visit(text.substr(i, n));
    i += n;
  }
}

std::string Trimmed(std::string name) {
  std::size_t first = name.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  name.erase(0, first);
  while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
  return name;
}

bool IsReservedDevice(std::string_view name) {
  std::string stem(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem) c = static_cast<char>((c >= 'a' && c <= 'z') ? c - 32 : c);
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '1' &&
         stem[3] <= '9';
}

// Cuts the stem so that the whole fits, keeping an extension of up to 16 bytes.
std::string Cut(const std::string& name) {
  int total = 0;
  ForEachCharacter(name, [&](std::string_view c) { total += Utf8Length(c); });
  if (total <= kMaxFileNameUtf8) return name;

  std::size_t dot = name.rfind('.');
  std::string extension = (dot != std::string::npos && dot > 0 && name.size() - dot <= 16) ? name.substr(dot) : "";
  std::string stem = name.substr(0, name.size() - extension.size());
  int room = kMaxFileNameUtf8 - static_cast<int>(extension.size());
  std::string kept;
  bool full = false;
  ForEachCharacter(stem, [&](std::string_view c) {
    if (full || Utf8Length(c) > room) {
      full = true;
      return;
    }
    room -= Utf8Length(c);
    kept.append(c);
  });
  return Trimmed(kept) + extension;
}

std::string MadeSafe(std::string_view raw) {
  std::string name;
  for (std::size_t i = 0; i < raw.size();) {
    auto b = static_cast<unsigned char>(raw[i]);
    std::size_t n = (b >= 0x81 && b <= 0xFE && i + 1 < raw.size()) ? 2 : 1;
    std::string_view c = raw.substr(i, n);
    if (b >= 0x80 && !IsCp936Character(c)) {
      name += '_';  // only the byte that starts no character: what follows may be one
      i += 1;
      continue;
    }
    if (n == 1 && IsForbiddenByte(b)) {
      name += '_';
    } else {
      name.append(c);
    }
    i += n;
  }
  name = Trimmed(std::move(name));
  if (name.find_first_not_of('.') == std::string::npos) return {};  // ".", "..", "..."
  if (IsReservedDevice(name)) name.insert(0, "_");
  return Trimmed(Cut(name));
}

// The last segment of the link's path, before any query or fragment.
std::string LastSegment(std::string_view link) {
  std::size_t scheme = link.find("://");
  std::string_view rest = scheme == std::string_view::npos ? link : link.substr(scheme + 3);
  rest = rest.substr(0, rest.find_first_of("?#"));
  std::size_t slash = rest.rfind('/');
  if (slash == std::string_view::npos) return {};  // a bare host has no file part
  return std::string(rest.substr(slash + 1));
}

}  // namespace

Text SafeFileName(const Text& fileName, const Text& link) {
  std::string name = MadeSafe(fileName.view());
  if (name.empty()) name = MadeSafe(PercentDecode(Text(LastSegment(link.view())), true).view());
  if (name.empty()) name = "download";
  return Text(name);
}
