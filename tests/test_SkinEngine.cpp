// Our skin engine, loaded as the program loads it: it gives the running
// application the skin's look, and leaves the look alone for anything but a
// whole skin file of ours.
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <QStyle>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/Library.h"
#include "shell/skin/SkinFile.h"
#include "tests/StandInHome.h"
#include "tests/TempFiles.h"

namespace fs = std::filesystem;

namespace {

using Attach = int (*)(const char*, const char*);

struct Look {
  QString window;
  QString button;
  QString sheet;
  bool operator==(const Look&) const = default;
};

Look LookOf(QWidget& widget) {
  return {widget.palette().color(QPalette::Window).name(),
          widget.palette().color(QPalette::Button).name(), qApp->styleSheet()};
}

class SkinEngineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "test_SkinEngine";
    static char* argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
    attach_ = reinterpret_cast<Attach>(GetProcAddress(LoadLibraryA(LINKPEEL_SKIN_ENGINE), "SkinH_AttachEx"));
  }
  static void TearDownTestSuite() {
    delete app_;
    app_ = nullptr;
  }

  void SetUp() override {
    ASSERT_NE(attach_, nullptr);
    home_ = MakeTempFolder("linkpeel-engine");
    ASSERT_FALSE(home_.empty());
    UseAsHome(home_);
    // A look of our own making, plainly not the skin's.
    QApplication::setStyle("Windows");
    QPalette plain;
    plain.setColor(QPalette::Window, QColor("#123456"));
    plain.setColor(QPalette::Button, QColor("#654321"));
    QApplication::setPalette(plain);
    qApp->setStyleSheet("QLabel { color: red; }");
  }
  void TearDown() override { fs::remove_all(home_); }

  static QApplication* app_;
  static Attach attach_;
  fs::path home_;
};

QApplication* SkinEngineTest::app_ = nullptr;
Attach SkinEngineTest::attach_ = nullptr;

TEST_F(SkinEngineTest, GivesTheApplicationTheSkinsLook) {
  QWidget window;  // made before the skin, as the main window is
  QPushButton button("OK", &window);
  fs::path skin = HostPathOf("C:\\Windows\\win8.she");
  PutFile(skin, ReadWholeFile(LINKPEEL_SKIN_FILE));

  EXPECT_EQ(attach_("C:\\Windows\\win8.she", ""), 0);
  Look look = LookOf(window);
  EXPECT_EQ(look.window, "#f0f0f0");
  EXPECT_EQ(look.button, "#e1e1e1");
  EXPECT_TRUE(look.sheet.contains("QPushButton"));
  EXPECT_EQ(button.palette().color(QPalette::ButtonText).name(), "#000000");

  QPushButton later("Later");  // and every widget made afterwards
  EXPECT_EQ(later.palette().color(QPalette::Button).name(), "#e1e1e1");
}

TEST_F(SkinEngineTest, ReadsOnlyWholeFilesOfOurs) {
  const std::string skin = ReadWholeFile(LINKPEEL_SKIN_FILE);
  const std::string engine = ReadWholeFile(LINKPEEL_SKIN_ENGINE);
  std::string flipped = skin;
  flipped[flipped.size() / 2] ^= 0x20;
  auto pack = [](std::vector<SkinSection> sections) { return PackSkinFile(sections); };
  struct Row {
    const char* name;
    std::string bytes;
  } rows[] = {
      {"empty", ""},
      {"magic alone", ".SHE"},
      {"cut in half", skin.substr(0, skin.size() / 2)},
      {"one byte changed", flipped},
      {"a library, not a skin", engine},
      {"an unknown palette role", pack({{"PALT", "Windw #F0F0F0\n"}, {"SHET", "QWidget {}"}})},
      {"a colour that is no colour", pack({{"PALT", "Window #F0F0FG\n"}})},
      {"a named colour", pack({{"PALT", "Window red\n"}})},
      {"an unknown colour group", pack({{"PALT", "Sometimes Window #F0F0F0\n"}})},
      {"an unknown base style", pack({{"STYL", "NoSuchStyle"}, {"SHET", "QWidget {}"}})},
  };
  QWidget window;
  const Look before = LookOf(window);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PutFile(home_ / "skin.she", row.bytes);
    EXPECT_NE(attach_((home_ / "skin.she").c_str(), ""), 0);
    EXPECT_EQ(LookOf(window), before);
  }
}

TEST_F(SkinEngineTest, WhatCannotBeReadLeavesTheLookAlone) {
  fs::create_directories(home_ / "folder");
  QWidget window;
  const Look before = LookOf(window);
  for (const std::string& path : {std::string("C:\\Windows\\missing.she"), std::string("C:relative.she"),
                                  std::string(), (home_ / "folder").string()}) {
    SCOPED_TRACE(path);
    EXPECT_NE(attach_(path.c_str(), ""), 0);
    EXPECT_EQ(LookOf(window), before);
  }
  EXPECT_NE(attach_(nullptr, ""), 0);
  EXPECT_EQ(LookOf(window), before);
}

TEST_F(SkinEngineTest, ThePasswordIsNotUsed) {
  PutFile(home_ / "skin.she",
          PackSkinFile({{"STYL", "Fusion"}, {"PALT", "; a comment\nWindow #ABCDEF\nDisabled Text #010203\n"}}));
  QWidget window;
  EXPECT_EQ(attach_((home_ / "skin.she").c_str(), nullptr), 0);
  EXPECT_EQ(window.palette().color(QPalette::Window).name(), "#abcdef");
  EXPECT_EQ(window.palette().color(QPalette::Disabled, QPalette::Text).name(), "#010203");
  EXPECT_EQ(qApp->styleSheet(), "");  // a skin without a sheet clears the old one
  EXPECT_EQ(QApplication::style()->name(), "fusion");
}

}  // namespace
