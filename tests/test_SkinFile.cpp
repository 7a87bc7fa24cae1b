// The .she container: what it packs comes back, and nothing but a whole,
// undamaged file of our version is taken.
#include <string>

#include <gtest/gtest.h>

#include "shell/skin/SkinFile.h"

namespace {

const std::vector<SkinSection> kSections = {
    {"NAME", "Windows 8"},
    {"PALT", "Window #F0F0F0\n"},
    {"SHET", std::string("QPushButton { border: 1px solid #ADADAD; }\0tail", 47)},
    {"NONE", ""},
};

TEST(SkinFile, PacksAndUnpacks) {
  std::string file = PackSkinFile(kSections);
  ASSERT_GE(file.size(), kSkinHeaderSize);
  EXPECT_EQ(file.substr(0, 4), ".SHE");
  auto sections = UnpackSkinFile(file);
  ASSERT_TRUE(sections.has_value());
  ASSERT_EQ(sections->size(), kSections.size());
  for (std::size_t i = 0; i < kSections.size(); ++i) {
    SCOPED_TRACE(kSections[i].tag);
    EXPECT_EQ((*sections)[i].tag, kSections[i].tag);
    EXPECT_EQ((*sections)[i].payload, kSections[i].payload);
  }
  EXPECT_TRUE(UnpackSkinFile(PackSkinFile({})).has_value());
}

TEST(SkinFile, TagsAreFourBytes) {
  EXPECT_EQ(PackSkinFile({{"QSS", "x"}}), "");
  EXPECT_EQ(PackSkinFile({{"SHEET", "x"}}), "");
}

TEST(SkinFile, TheCheckSumIsCrc32) {
  EXPECT_EQ(SkinChecksum("123456789"), 0xCBF43926u);
  EXPECT_EQ(SkinChecksum(""), 0u);
}

// Every cut and every changed byte, header included, is refused.
TEST(SkinFile, RefusesEveryTruncationAndEveryChangedByte) {
  const std::string file = PackSkinFile(kSections);
  for (std::size_t length = 0; length < file.size(); ++length) {
    SCOPED_TRACE("cut to " + std::to_string(length));
    EXPECT_FALSE(UnpackSkinFile(file.substr(0, length)).has_value());
  }
  for (std::size_t at = 0; at < file.size(); ++at) {
    for (unsigned char flip : {0x01, 0x80}) {
      std::string damaged = file;
      damaged[at] = static_cast<char>(damaged[at] ^ flip);
      SCOPED_TRACE("byte " + std::to_string(at) + " flipped by " + std::to_string(flip));
      EXPECT_FALSE(UnpackSkinFile(damaged).has_value());
    }
  }
  EXPECT_FALSE(UnpackSkinFile(file + "x").has_value());
}

// A file made to pass the checksum whose sections do not fit its body.
TEST(SkinFile, RefusesSectionsThatDoNotFitTheirBody) {
  auto withBody = [](std::uint16_t count, const std::string& body) {
    std::string file = ".SHE";
    file += std::string("\x01\x00", 2);
    file += static_cast<char>(count & 0xFF);
    file += static_cast<char>(count >> 8);
    for (std::uint32_t v : {static_cast<std::uint32_t>(body.size()), SkinChecksum(body)}) {
      for (int shift = 0; shift < 32; shift += 8) file += static_cast<char>((v >> shift) & 0xFF);
    }
    return file + body;
  };
  const std::string section = std::string("NAME\x02\x00\x00\x00", 8) + "ab";
  struct Row {
    const char* name;
    std::uint16_t count;
    std::string body;
    bool taken;
  } rows[] = {
      {"well formed", 1, section, true},
      {"length past the end", 1, std::string("NAME\xFF\xFF\xFF\xFF", 8) + "ab", false},
      {"one section more than the body holds", 2, section, false},
      {"bytes left after the last section", 1, section + "x", false},
      {"a section header cut short", 2, section + "NAM", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(UnpackSkinFile(withBody(row.count, row.body)).has_value(), row.taken);
  }
}

TEST(SkinFile, RefusesForeignFiles) {
  std::string skin = PackSkinFile(kSections);
  std::string otherVersion = skin;
  otherVersion[4] = 2;
  for (const std::string& file : {std::string(), std::string(".SHE"), std::string("\x7F" "ELF\x02\x01\x01", 7),
                                  std::string("MZ\x90\x00", 4) + std::string(64, '\0'), otherVersion}) {
    SCOPED_TRACE(file.substr(0, 4));
    EXPECT_FALSE(UnpackSkinFile(file).has_value());
  }
}

}  // namespace
