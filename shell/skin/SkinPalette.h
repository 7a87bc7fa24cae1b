// The palette of a skin (its "PALT" section, SkinFile.h), read the same way
// by every engine, whatever toolkit it paints with:
//
//   "Window #F0F0F0"             => all groups, role "Window", F0 F0 F0, alpha FF
//   "Disabled Text #838383"      => the Disabled group alone
//   "Highlight #803399FF"        => #AARRGGBB: alpha 80
//   "; a comment", "", "  "      => nothing
//
// Groups: Active (also called Normal), Inactive, Disabled. Roles: the colour
// roles of a desktop palette, as kSkinPaletteRoles names them. Words are
// separated by spaces or tabs; a line may end in CR. Any other line refuses
// the whole palette, as a damaged file is refused: a skin is taken whole.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

enum class SkinColorGroup { kAll, kActive, kInactive, kDisabled };

struct SkinColor {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t alpha = 0xFF;
  bool operator==(const SkinColor&) const = default;
};

struct SkinPaletteLine {
  SkinColorGroup group = SkinColorGroup::kAll;
  std::string role;
  SkinColor color;
  bool operator==(const SkinPaletteLine&) const = default;
};

using SkinPalette = std::vector<SkinPaletteLine>;

extern const std::span<const std::string_view> kSkinPaletteRoles;

// nullopt when any line is not a palette line of the shape above.
std::optional<SkinPalette> ReadSkinPalette(std::string_view text);

// The colour that `group` shows for `role`, the lines taken in order as an
// engine applies them (a line for all groups sets it too, a later line wins);
// nullopt when no line names the role for that group. Asking for kAll finds
// only lines for all groups.
std::optional<SkinColor> SkinPaletteColor(const SkinPalette& palette, SkinColorGroup group, std::string_view role);
