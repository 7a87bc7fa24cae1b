#include "shell/skin/SkinFile.h"

#include <array>
#include <limits>

namespace {

constexpr std::string_view kMagic = ".SHE";

std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

void PutU16(std::string& out, std::uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

void PutU32(std::string& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((v >> shift) & 0xFF);
}

std::uint32_t GetU(std::string_view data, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(data[at + static_cast<std::size_t>(i)]);
  return v;
}

}  // namespace

std::uint32_t SkinChecksum(std::string_view data) {
  static const std::array<std::uint32_t, 256> table = MakeCrcTable();
  std::uint32_t c = 0xFFFFFFFFu;
  for (char byte : data) c = table[(c ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::string PackSkinFile(const std::vector<SkinSection>& sections) {
  if (sections.size() > std::numeric_limits<std::uint16_t>::max()) return {};
  std::string body;
  for (const SkinSection& section : sections) {
    if (section.tag.size() != 4 || section.payload.size() > std::numeric_limits<std::uint32_t>::max()) return {};
    body += section.tag;
    PutU32(body, static_cast<std::uint32_t>(section.payload.size()));
    body += section.payload;
  }
  if (body.size() > std::numeric_limits<std::uint32_t>::max()) return {};
  std::string file(kMagic);
  PutU16(file, kSkinVersion);
  PutU16(file, static_cast<std::uint16_t>(sections.size()));
  PutU32(file, static_cast<std::uint32_t>(body.size()));
  PutU32(file, SkinChecksum(body));
  return file + body;
}

std::optional<std::vector<SkinSection>> UnpackSkinFile(std::string_view file) {
  if (file.size() < kSkinHeaderSize || file.substr(0, 4) != kMagic) return std::nullopt;
  if (GetU(file, 4, 2) != kSkinVersion) return std::nullopt;
  std::uint32_t count = GetU(file, 6, 2);
  std::string_view body = file.substr(kSkinHeaderSize);
  if (GetU(file, 8, 4) != body.size() || GetU(file, 12, 4) != SkinChecksum(body)) return std::nullopt;

  std::vector<SkinSection> sections;
  std::size_t at = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (body.size() - at < 8) return std::nullopt;
    std::uint32_t length = GetU(body, at + 4, 4);
    if (body.size() - at - 8 < length) return std::nullopt;
    sections.push_back({std::string(body.substr(at, 4)), std::string(body.substr(at + 8, length))});
    at += 8 + length;
  }
  if (at != body.size()) return std::nullopt;
  return sections;
}
