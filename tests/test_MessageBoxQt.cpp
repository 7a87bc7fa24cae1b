#include "platform/MessageBoxQt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/MessageBox.h"
#include "text/Fatal.h"
#include "text/Text.h"

namespace {

struct SeenBox {
  bool shown = false;
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons buttons;
  bool modal = false;
};

// Runs `show` (which must block in a modal box), reads the box that comes up
// and presses its OK button.
template <class Show>
SeenBox ShowAndClose(Show show) {
  SeenBox seen;
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen = {true, box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
            box->windowModality() == Qt::ApplicationModal};
    box->button(QMessageBox::Ok)->click();
  });
  show();
  return seen;
}

TEST(PresentMessageBoxQt, ShowsAModalBoxWithOkOnlyAndTheIconAskedFor) {
  struct Case {
    UINT type;
    QMessageBox::Icon icon;
  } cases[] = {
      {MB_OK | MB_TASKMODAL, QMessageBox::NoIcon},
      {MB_OK | MB_ICONERROR | MB_TASKMODAL, QMessageBox::Critical},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    SeenBox seen = ShowAndClose([&] {
      MessageBoxA(nullptr, "\xD2\xBB\r\n<b>two</b>", "\xD0\xC5\xCF\xA2\xA3\xBA", c.type);  // 一 / 信息：
    });
    ASSERT_TRUE(seen.shown);
    EXPECT_EQ(seen.caption, QString::fromUtf8("信息："));
    EXPECT_EQ(seen.text, QString::fromUtf8("一\n<b>two</b>"));  // CR LF is one break; markup stays text
    EXPECT_EQ(seen.icon, c.icon);
    EXPECT_EQ(seen.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_TRUE(seen.modal);
  }
}

// With the toolkit up, the fatal run-time error is a real box with the error
// icon, and the process ends with 255 once it is closed. The child process
// reports a box that is not as it should be by its exit code.
TEST(PresentMessageBoxQtDeathTest, FatalErrorShowsARealBoxThenEnds) {
  auto raise = [] {
    QTimer::singleShot(0, [] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) _exit(2);
      bool right = box->windowTitle() == QString::fromUtf8("错误") && box->icon() == QMessageBox::Critical &&
                   box->text() == QString::fromUtf8("运行时出错!\n\n错误信息：载入启动窗口失败\n") &&
                   box->standardButtons() == QMessageBox::StandardButtons(QMessageBox::Ok);
      if (!right) _exit(3);
      box->button(QMessageBox::Ok)->click();
    });
    RaiseFatalError(0, "载入启动窗口失败"_cp936);
  };
  EXPECT_EXIT(raise(), testing::ExitedWithCode(255), "");
}

}  // namespace
