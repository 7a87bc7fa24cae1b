#include "shell/skin/SkinPalette.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<std::string_view, 20> kRoles = {
    "WindowText", "Button",          "Light",       "Midlight",    "Dark",       "Mid",          "Text",
    "BrightText", "ButtonText",      "Base",        "Window",      "Shadow",     "Highlight",    "HighlightedText",
    "Link",       "LinkVisited",     "AlternateBase", "ToolTipBase", "ToolTipText", "PlaceholderText",
};

struct GroupName {
  std::string_view name;
  SkinColorGroup group;
};
constexpr GroupName kGroups[] = {
    {"Active", SkinColorGroup::kActive},
    {"Normal", SkinColorGroup::kActive},
    {"Inactive", SkinColorGroup::kInactive},
    {"Disabled", SkinColorGroup::kDisabled},
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::vector<std::string_view> WordsOf(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    std::size_t end = at;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "#RRGGBB" or "#AARRGGBB"; no other spelling of a colour.
std::optional<SkinColor> ColorOf(std::string_view word) {
  if (word.empty() || word[0] != '#' || (word.size() != 7 && word.size() != 9)) return std::nullopt;
  std::uint8_t bytes[4] = {0xFF, 0, 0, 0};
  std::uint8_t* next = word.size() == 9 ? bytes : bytes + 1;
  for (std::size_t i = 1; i < word.size(); i += 2) {
    int high = HexDigit(word[i]);
    int low = HexDigit(word[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    *next++ = static_cast<std::uint8_t>(high * 16 + low);
  }
  return SkinColor{bytes[1], bytes[2], bytes[3], bytes[0]};
}

}  // namespace

const std::span<const std::string_view> kSkinPaletteRoles(kRoles);

std::optional<SkinPalette> ReadSkinPalette(std::string_view text) {
  SkinPalette palette;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);

    std::vector<std::string_view> words = WordsOf(line);
    if (words.empty() || words[0].front() == ';') continue;
    if (words.size() != 2 && words.size() != 3) return std::nullopt;
    SkinPaletteLine entry;
    if (words.size() == 3) {
      auto group = std::find_if(std::begin(kGroups), std::end(kGroups),
                                [&](const GroupName& g) { return g.name == words[0]; });
      if (group == std::end(kGroups)) return std::nullopt;
      entry.group = group->group;
      words.erase(words.begin());
    }
    if (std::find(kRoles.begin(), kRoles.end(), words[0]) == kRoles.end()) return std::nullopt;
    std::optional<SkinColor> color = ColorOf(words[1]);
    if (!color) return std::nullopt;
    entry.role = words[0];
    entry.color = *color;
    palette.push_back(std::move(entry));
  }
  return palette;
}

std::optional<SkinColor> SkinPaletteColor(const SkinPalette& palette, SkinColorGroup group, std::string_view role) {
  std::optional<SkinColor> color;
  for (const SkinPaletteLine& line : palette) {
    if (line.role == role && (line.group == group || line.group == SkinColorGroup::kAll)) color = line.color;
  }
  return color;
}
