// The palette lines of a skin, as every engine reads them: which lines are
// taken and what they give, and which refuse the whole palette.
#include <string>

#include <gtest/gtest.h>

#include "shell/skin/SkinPalette.h"

namespace {

using G = SkinColorGroup;

TEST(SkinPalette, ReadsEachKindOfLine) {
  struct Row {
    const char* text;
    SkinPalette expected;
  } rows[] = {
      {"Window #F0F0F0", {{G::kAll, "Window", {0xF0, 0xF0, 0xF0, 0xFF}}}},
      {"Window #f0a0b1\n", {{G::kAll, "Window", {0xF0, 0xA0, 0xB1, 0xFF}}}},
      {"Highlight #803399FF", {{G::kAll, "Highlight", {0x33, 0x99, 0xFF, 0x80}}}},
      {"Disabled ButtonText #838383", {{G::kDisabled, "ButtonText", {0x83, 0x83, 0x83, 0xFF}}}},
      {"Inactive Highlight #CCE8FF", {{G::kInactive, "Highlight", {0xCC, 0xE8, 0xFF, 0xFF}}}},
      {"Active Base #010203", {{G::kActive, "Base", {1, 2, 3, 0xFF}}}},
      {"Normal Base #010203", {{G::kActive, "Base", {1, 2, 3, 0xFF}}}},
      {"  Text\t #000000 \r\n", {{G::kAll, "Text", {0, 0, 0, 0xFF}}}},
      {"; a comment #FFFFFF\n\n   \r\nMid #ADADAD\n;Base #FFFFFF",
       {{G::kAll, "Mid", {0xAD, 0xAD, 0xAD, 0xFF}}}},
      {"", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    std::optional<SkinPalette> palette = ReadSkinPalette(row.text);
    ASSERT_TRUE(palette.has_value());
    EXPECT_EQ(*palette, row.expected);
  }
}

TEST(SkinPalette, OneBadLineRefusesThePalette) {
  for (const char* text : {
           "Windw #F0F0F0",              // no such role
           "NoRole #F0F0F0",             // a toolkit's placeholder, not a colour role
           "window #F0F0F0",             // names are spelt exactly
           "Window #F0F0FG",             // not hex
           "Window #F0F0F",              // five digits
           "Window #F0F0F0F",            // seven
           "Window F0F0F0",              // no '#'
           "Window red",                 // a named colour
           "Window",                     // no colour
           "Sometimes Window #F0F0F0",   // no such group
           "All Window #F0F0F0",         // nor this one: a line without a group is for all
           "Disabled Window #F0F0F0 x",  // a word too many
           "Window #F0F0F0\nMid #ADADAD\nText",
       }) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(ReadSkinPalette(text).has_value());
  }
}

TEST(SkinPalette, EveryRoleNamedIsRead) {
  for (std::string_view role : kSkinPaletteRoles) {
    SCOPED_TRACE(std::string(role));
    std::optional<SkinPalette> palette = ReadSkinPalette(std::string(role) + " #102030");
    ASSERT_TRUE(palette.has_value());
    EXPECT_EQ(SkinPaletteColor(*palette, G::kActive, role), (SkinColor{0x10, 0x20, 0x30, 0xFF}));
  }
}

// A group takes its own lines and the lines for all groups, the later one
// winning, as a toolkit applies them one after another.
TEST(SkinPalette, AColourIsTheLastLineThatReachesTheGroup) {
  std::optional<SkinPalette> palette = ReadSkinPalette(
      "Button #E1E1E1\n"
      "Disabled Button #CCCCCC\n"
      "Text #000000\n"
      "Inactive Text #111111\n"
      "Text #222222\n");
  ASSERT_TRUE(palette.has_value());
  const SkinColor e1{0xE1, 0xE1, 0xE1, 0xFF}, cc{0xCC, 0xCC, 0xCC, 0xFF}, t2{0x22, 0x22, 0x22, 0xFF};
  struct Row {
    G group;
    const char* role;
    std::optional<SkinColor> expected;
  } rows[] = {
      {G::kActive, "Button", e1},      {G::kDisabled, "Button", cc},   {G::kAll, "Button", e1},
      {G::kInactive, "Text", t2},      {G::kActive, "Text", t2},       {G::kDisabled, "Window", std::nullopt},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.role) + " in group " + std::to_string(static_cast<int>(row.group)));
    EXPECT_EQ(SkinPaletteColor(*palette, row.group, row.role), row.expected);
  }
}

}  // namespace
