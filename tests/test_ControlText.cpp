#include "shell/qt/ControlText.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

#include "shell/qt/MainWindow.h"

namespace {

class ControlTextTest : public testing::Test {
 protected:
  void SetUp() override { window_ = LoadMainWindow(); ASSERT_NE(window_, nullptr); }
  void TearDown() override { delete window_.data(); }

  QPointer<QWidget> window_;
};

TEST_F(ControlTextTest, WritesAndReadsBackEveryTextControl) {
  // Code-page-936 bytes: 文件名 (CE C4 BC FE C3 FB) and the euro (80), which 936 has.
  const Text chinese("\xCE\xC4\xBC\xFE\xC3\xFB \x80 <b>&amp;</b>");
  for (const char* name : {"按钮3", "标签1", "按钮1", "透明标签4", "透明标签3", "透明标签2", "透明标签1", "按钮2",
                           "编辑框5", "编辑框2"}) {
    SCOPED_TRACE(name);
    SetControlText(name, "an older, longer text that must go entirely");
    SetControlText(name, chinese);
    EXPECT_EQ(GetControlText(name), chinese);
    SetControlText(name, Text());
    EXPECT_EQ(GetControlText(name), Text());
  }
}

TEST_F(ControlTextTest, ShowsTheTextAsUnicode) {
  SetControlText("编辑框2", Text("\xCE\xC4\xBC\xFE\xC3\xFB"));
  EXPECT_EQ(static_cast<QLineEdit*>(FindControl("编辑框2"))->text(), QString::fromUtf8("文件名"));
  SetControlText("透明标签1", Text("<b>x</b>"));
  auto* label = static_cast<QLabel*>(FindControl("透明标签1"));
  EXPECT_EQ(label->textFormat(), Qt::PlainText);  // a name with markup in it is shown as it is
}

TEST_F(ControlTextTest, TheMultiLineBoxKeepsLinesApartWithCrLf) {
  struct Case {
    Text written;
    Text read;
    int lines;
  } cases[] = {
      {"a\r\nb", "a\r\nb", 2},
      {"a\nb", "a\r\nb", 2},
      {"a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n", 4},
      {"one line", "one line", 1},
  };
  auto* box = static_cast<QPlainTextEdit*>(FindControl("编辑框5"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written.c_str());
    SetControlText("编辑框5", c.written);
    EXPECT_EQ(GetControlText("编辑框5"), c.read);
    EXPECT_EQ(box->document()->blockCount(), c.lines);
  }
}

TEST_F(ControlTextTest, WhatHasNoTextReadsEmptyAndIgnoresWrites) {
  auto* banner = static_cast<QLabel*>(FindControl("图片框1"));
  SetControlText("图片框1", "text");
  EXPECT_FALSE(banner->pixmap().isNull());  // the picture stays
  EXPECT_EQ(GetControlText("图片框1"), Text());
  SetControlText("编辑框9", "text");
  EXPECT_EQ(GetControlText("编辑框9"), Text());
  EXPECT_EQ(GetControlText(static_cast<const QWidget*>(nullptr)), Text());
}

TEST(ControlText, WithoutAWindowEverythingIsEmpty) {
  ASSERT_EQ(MainWindow(), nullptr);
  SetControlText("编辑框2", "text");
  EXPECT_EQ(GetControlText("编辑框2"), Text());
}

}  // namespace
