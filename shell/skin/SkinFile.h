// The skin file format of our skin engine (".she").
//
//   offset  0  ".SHE"           the four bytes 2E 53 48 45
//           4  u16 version      1
//           6  u16 sections     how many sections the body holds
//           8  u32 body length  bytes after this 16-byte header
//          12  u32 CRC-32       of the body (the zlib/PNG polynomial)
//          16  body             sections, each a 4-byte tag, a u32 length and
//                               that many payload bytes
//
// Integers are little-endian. The engine reads these tags, all UTF-8 text:
//   "NAME" the skin's name;  "STYL" the Qt style it builds on ("Fusion");
//   "PALT" palette lines "[Active|Inactive|Disabled] <ColorRole> #RRGGBB|#AARRGGBB";
//   "SHET" a Qt style sheet.
// A file is all or nothing: a wrong magic, version, length or checksum, or a
// section that overruns the body, and the whole file is refused.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SkinSection {
  std::string tag;      // four bytes
  std::string payload;
};

inline constexpr std::size_t kSkinHeaderSize = 16;
inline constexpr std::uint16_t kSkinVersion = 1;

std::uint32_t SkinChecksum(std::string_view data);

// "" when a tag is not four bytes long or the body would not fit the format.
std::string PackSkinFile(const std::vector<SkinSection>& sections);

// nullopt for anything but a whole, undamaged file of our version.
std::optional<std::vector<SkinSection>> UnpackSkinFile(std::string_view file);
