#include "shell/qt/MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QTextLayout>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "shell/qt/Banner.h"
#include "shell/qt/ControlText.h"
#include "tests/FakeOpener.h"

namespace {

// The form as it is meant to be, written out independently of the program's
// own table.
struct Expected {
  const char* name;
  ControlKind kind;
  const char* className;
  QRect geometry;
  Text text;
  bool enabled;
};

std::vector<Expected> Form() {
  return {
      {"按钮3", ControlKind::PushButton, "QPushButton", {341, 328, 96, 20}, "退出"_cp936, true},
      {"标签1", ControlKind::Label, "QLabel", {159, 328, 126, 24}, "Selvo'zu 2014/3/18", false},
      {"按钮1", ControlKind::PushButton, "QPushButton", {8, 328, 96, 20}, "关于"_cp936, true},
      {"图片框1", ControlKind::PictureBox, "QLabel", {-3, 0, 450, 120}, {}, true},
      {"透明标签4", ControlKind::TransparentLabel, "QLabel", {13, 176, 127, 19}, {}, true},
      {"透明标签3", ControlKind::TransparentLabel, "QLabel", {260, 176, 150, 18}, {}, true},
      {"透明标签2", ControlKind::TransparentLabel, "QLabel", {153, 176, 95, 19}, {}, true},
      {"透明标签1", ControlKind::TransparentLabel, "QLabel", {13, 157, 410, 19}, {}, true},
      {"按钮2", ControlKind::PushButton, "QPushButton", {336, 128, 88, 24}, "解析"_cp936, true},
      {"编辑框5", ControlKind::MultiLineEditBox, "QPlainTextEdit", {8, 198, 428, 128}, {}, true},
      {"编辑框2", ControlKind::EditBox, "QLineEdit", {24, 128, 304, 24}, "http://pan.baidu.com/s/1i3n3O01", true},
  };
}

// Closes any modal box that comes up, so that a button pressed by mistake
// cannot hang the test; counts the boxes it closed.
class ModalCloser {
 public:
  ModalCloser() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        ++closed_;
        box->button(QMessageBox::Ok)->click();
      }
    });
    timer_.start(20);
  }
  int closed() const { return closed_; }

 private:
  QTimer timer_;
  int closed_ = 0;
};

class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    window_ = LoadMainWindow();
    ASSERT_NE(window_, nullptr);
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_));
  }
  void TearDown() override { delete window_.data(); }

  QWidget* Control(const char* name) { return FindControl(name); }

  // Runs the message loop as the program does, until the window's closing
  // ends it or 5 s pass; the loop's exit code.
  int RunUntilClosed() {
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(5000);
    return QApplication::exec();
  }

  QPointer<QWidget> window_;
};

TEST_F(MainWindowTest, ControlsAreCreatedInOrderWithTheirNamesKindsPlacesAndTexts) {
  std::vector<QWidget*> made;
  for (QObject* child : window_->children())
    if (auto* widget = qobject_cast<QWidget*>(child); widget && ControlKindOf(widget) != ControlKind::None)
      made.push_back(widget);
  std::vector<Expected> form = Form();
  ASSERT_EQ(made.size(), form.size());
  for (size_t i = 0; i < form.size(); ++i) {
    const Expected& e = form[i];
    SCOPED_TRACE(e.name);
    QWidget* control = made[i];
    EXPECT_EQ(control->objectName(), QString::fromUtf8(e.name));
    EXPECT_EQ(ControlKindOf(control), e.kind);
    EXPECT_STREQ(control->metaObject()->className(), e.className);
    EXPECT_EQ(control->geometry(), e.geometry);
    EXPECT_EQ(GetControlText(control), e.text);
    EXPECT_EQ(control->isEnabled(), e.enabled);
    EXPECT_TRUE(control->isVisible());
    EXPECT_FALSE(control->testAttribute(Qt::WA_SetFont));  // the default GUI font, as the window has
    EXPECT_EQ(control->font(), QApplication::font());
  }
}

TEST_F(MainWindowTest, NoTwoControlsOverlapAndAllFitTheWindow) {
  std::vector<Expected> form = Form();
  for (size_t i = 0; i < form.size(); ++i) {
    QRect a = Control(form[i].name)->geometry();
    if (form[i].kind != ControlKind::PictureBox) {  // the banner starts 3 pixels left of the window
      EXPECT_TRUE(window_->rect().contains(a)) << form[i].name;
    }
    for (size_t j = i + 1; j < form.size(); ++j)
      EXPECT_FALSE(a.intersects(Control(form[j].name)->geometry())) << form[i].name << " " << form[j].name;
  }
}

TEST_F(MainWindowTest, WindowIsFixedCentredAndCaptioned) {
  EXPECT_EQ(window_->objectName(), QString::fromUtf8("启动窗口"));
  EXPECT_EQ(window_->windowTitle(), QString::fromUtf8("Linkpeel - Selvo (www.example.com)"));
  EXPECT_EQ(window_->size(), QSize(444, 354));
  EXPECT_EQ(window_->minimumSize(), window_->maximumSize());
  Qt::WindowFlags flags = window_->windowFlags();
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  QRect screen = QGuiApplication::primaryScreen()->geometry();
  EXPECT_EQ(window_->pos(), QPoint(screen.x() + (screen.width() - 450) / 2, screen.y() + (screen.height() - 379) / 2));
  EXPECT_FALSE(window_->testAttribute(Qt::WA_SetFont));
  EXPECT_EQ(HomePageAddress(), Text("http://www.example.com/"));
}

TEST_F(MainWindowTest, EscapeClosesTheWindowFromEveryControlAndTheLoopEndsWithZero) {
  for (const Expected& e : Form()) {
    SCOPED_TRACE(e.name);
    if (window_.isNull()) SetUp();
    QWidget* control = Control(e.name);
    if (control->focusPolicy() != Qt::NoFocus && control->isEnabled()) {
      control->setFocus();
      EXPECT_TRUE(control->hasFocus());
    }
    QTimer::singleShot(0, control, [control] { QTest::keyClick(control, Qt::Key_Escape); });
    EXPECT_EQ(RunUntilClosed(), 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window_.isNull());  // closed and destroyed
    EXPECT_EQ(MainWindow(), nullptr);
  }
}

TEST_F(MainWindowTest, ExitButtonClosesTheWindowOnceTheClickIsOver) {
  QTimer::singleShot(0, [this] {
    QTest::mouseClick(Control("按钮3"), Qt::LeftButton);
    EXPECT_FALSE(window_.isNull());  // posted: still there when the click handler returns
  });
  EXPECT_EQ(RunUntilClosed(), 0);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(window_.isNull());
}

TEST_F(MainWindowTest, EnterNeitherMovesTheFocusNorPressesAButton) {
  ModalCloser closer;
  std::vector<std::unique_ptr<QSignalSpy>> clicks;
  for (const char* name : {"按钮1", "按钮2", "按钮3"})
    clicks.push_back(std::make_unique<QSignalSpy>(static_cast<QPushButton*>(Control(name)), &QPushButton::clicked));
  for (const char* name : {"编辑框2", "按钮1", "按钮2", "按钮3"}) {
    SCOPED_TRACE(name);
    QWidget* control = Control(name);
    control->setFocus();
    Text before = GetControlText("编辑框2");
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) QTest::keyClick(control, key);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), control);
    EXPECT_EQ(GetControlText("编辑框2"), before);
  }
  for (auto& spy : clicks) EXPECT_EQ(spy->count(), 0);
  EXPECT_EQ(closer.closed(), 0);
  EXPECT_TRUE(window_->isVisible());
}

TEST_F(MainWindowTest, EnterInTheMultiLineBoxStartsANewLine) {
  QWidget* box = Control("编辑框5");
  box->setFocus();
  QTest::keyClicks(box, "ab");
  QTest::keyClick(box, Qt::Key_Return);
  QTest::keyClicks(box, "cd");
  EXPECT_EQ(GetControlText("编辑框5"), Text("ab\r\ncd"));
  EXPECT_EQ(QApplication::focusWidget(), box);
}

TEST_F(MainWindowTest, EditBoxesScrollWithTheCaretAndShowNoScrollBars) {
  auto* line = static_cast<QLineEdit*>(Control("编辑框2"));
  EXPECT_GE(line->maxLength(), 1 << 30);  // no length limit worth the name
  auto* box = static_cast<QPlainTextEdit*>(Control("编辑框5"));
  EXPECT_EQ(box->lineWrapMode(), QPlainTextEdit::WidgetWidth);
  EXPECT_EQ(box->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(box->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  box->setFocus();
  for (int i = 0; i < 30; ++i) QTest::keyClick(box, Qt::Key_Return);
  QApplication::processEvents();
  EXPECT_GT(box->verticalScrollBar()->value(), 0);  // scrolled to keep the caret in sight
  EXPECT_TRUE(box->viewport()->rect().contains(box->cursorRect()));
}

// A link of 10 MiB on one line, written the way the Parse action writes it,
// with nowhere a word could end: the window must still take a key soon after.
// Laid out word by word this took hours; laid out once it takes seconds, and
// under the sanitizers' allocator up to about a minute on a busy machine. The
// deadline is one only a frozen window misses; the speed is benchmarked.
TEST_F(MainWindowTest, TheWindowStillAnswersAfterAVeryLongLinkIsWritten) {
  std::string link = "http://d.pcs.baidu.com/file/9d8f?fid=807312661286537&fn=";
  while (link.size() < (10u << 20)) link += "%E5%AD%A3x";
  auto* input = static_cast<QLineEdit*>(Control("编辑框2"));
  input->setFocus();
  input->setText(QString());

  QElapsedTimer clock;
  clock.start();
  SetControlText("编辑框5", Text(link));
  QCoreApplication::postEvent(input, new QKeyEvent(QEvent::KeyPress, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z")));
  while (input->text().isEmpty() && clock.elapsed() < 90000) QApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_EQ(input->text(), QStringLiteral("z"));

  // The whole link stays in the box, one line wrapped at the box's width.
  EXPECT_EQ(GetControlText("编辑框5"), Text(link));
  auto* box = static_cast<QPlainTextEdit*>(Control("编辑框5"));
  ASSERT_EQ(box->document()->blockCount(), 1);
  EXPECT_GT(box->document()->firstBlock().layout()->lineCount(), 1000);
}

TEST_F(MainWindowTest, OnlyTheMultiLineBoxKeepsItsSelectionInSightWithoutTheFocus) {
  // Pixels in the toolkit's selection colours, focused or not.
  auto highlighted = [](QWidget* edit) {
    QImage image = edit->grab().toImage();
    QPalette palette = QApplication::palette();
    QColor active = palette.color(QPalette::Active, QPalette::Highlight);
    QColor inactive = palette.color(QPalette::Inactive, QPalette::Highlight);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        QColor c = image.pixelColor(x, y);
        count += c == active || c == inactive;
      }
    return count;
  };
  auto* line = static_cast<QLineEdit*>(Control("编辑框2"));
  auto* box = static_cast<QPlainTextEdit*>(Control("编辑框5"));
  SetControlText("编辑框5", "http://example.invalid/a/long/link");
  box->setFocus();
  box->selectAll();
  line->setFocus();
  line->selectAll();
  box->setFocus();
  QApplication::processEvents();
  EXPECT_GT(highlighted(box), 100);
  EXPECT_EQ(highlighted(line), 0);
}

TEST_F(MainWindowTest, AboutButtonShowsTheAboutBox) {
  QString caption, text;
  QMessageBox::Icon icon = QMessageBox::Critical;
  QMessageBox::StandardButtons buttons;
  bool modal = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    caption = box->windowTitle();
    text = box->text();
    icon = box->icon();
    buttons = box->standardButtons();
    modal = box->windowModality() == Qt::ApplicationModal;
    box->button(QMessageBox::Ok)->click();
  });
  QTest::mouseClick(Control("按钮1"), Qt::LeftButton);  // returns once the box is closed
  EXPECT_EQ(caption, QString::fromUtf8("信息："));
  EXPECT_EQ(text, QString::fromUtf8("本软件由 Selvo制作，感谢您的支持！\n您可以点击logo进入我的个人网站哟！"));
  EXPECT_EQ(icon, QMessageBox::NoIcon);
  EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
  EXPECT_TRUE(modal);
  EXPECT_TRUE(window_->isVisible());
}

TEST_F(MainWindowTest, PressingTheBannerOpensTheHomePageAtOnce) {
  QWidget* banner = Control("图片框1");
  for (QPoint at : {QPoint(3, 0), QPoint(225, 60), QPoint(449, 119)}) {
    SCOPED_TRACE(at.x());
    FakeOpener opener;
    QTest::mousePress(banner, Qt::LeftButton, {}, at);  // pressed, not yet released
    EXPECT_EQ(opener.Opened(), "http://www.example.com/\n");
    QTest::mouseRelease(banner, Qt::LeftButton, {}, at);
  }
}

TEST_F(MainWindowTest, TheDisabledLabelIgnoresClicks) {
  ModalCloser closer;
  QWidget* label = Control("标签1");
  QWidget* edit = Control("编辑框2");
  edit->setFocus();
  QTest::mouseClick(label, Qt::LeftButton);
  QTest::mouseDClick(label, Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_FALSE(label->isEnabled());
  EXPECT_EQ(QApplication::focusWidget(), edit);
  EXPECT_EQ(closer.closed(), 0);
  EXPECT_TRUE(window_->isVisible());
}

TEST_F(MainWindowTest, TheBannerShowsItsTop120RowsUnscaled) {
  QImage banner = DecodeJpeg(BannerJpeg()).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(banner.size(), QSize(450, 131));
  QImage shown = window_->grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(shown.size(), QSize(444, 354));
  // The box starts 3 pixels left of the window: window column x shows banner column x + 3.
  int mismatches = 0;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 444; ++x)
      if (shown.pixel(x, y) != banner.pixel(x + 3, y)) ++mismatches;
  EXPECT_EQ(mismatches, 0);
  // Row 120 is the window's background again, not the banner's row 120.
  EXPECT_NE(shown.pixel(400, 120), banner.pixel(403, 120));
  EXPECT_EQ(shown.pixel(400, 120), shown.pixel(400, 124));
}

// Pixels of the window close to `colour`, in the columns [fromX, toX).
int CountColour(const QImage& image, QColor colour, int fromX, int toX, int fromY, int toY) {
  int count = 0;
  for (int y = fromY; y < toY; ++y)
    for (int x = fromX; x < toX; ++x) {
      QColor c = image.pixelColor(x, y);
      if (std::abs(c.red() - colour.red()) < 30 && std::abs(c.green() - colour.green()) < 30 &&
          std::abs(c.blue() - colour.blue()) < 30)
        ++count;
    }
  return count;
}

TEST_F(MainWindowTest, TransparentLabelsDrawOnTheWindowUnclippedAndInTheirColours) {
  QImage before = window_->grab().toImage();
  QColor background = before.pixelColor(5, 190);
  // 透明标签1 is 410 wide from x = 13; its file name runs past its right edge at 423.
  SetControlText("透明标签1", Text(std::string(200, 'W')));
  SetControlText("透明标签4", "\xB7\xD6\xCF\xED\xD5\xDF\xA3\xBA" "someone with a long name");  // 分享者：
  QApplication::processEvents();
  QImage after = window_->grab().toImage();
  QColor red(255, 80, 128);
  EXPECT_GT(CountColour(after, red, 13, 423, 157, 176), 100);
  EXPECT_GT(CountColour(after, red, 423, 444, 157, 176), 10);   // not clipped to the label
  EXPECT_EQ(CountColour(after, red, 0, 444, 0, 157), 0);         // one line, centred in its rectangle
  EXPECT_EQ(CountColour(after, red, 0, 444, 177, 354), 0);
  EXPECT_GT(CountColour(after, Qt::black, 13, 140, 176, 195), 20);
  EXPECT_GT(CountColour(after, Qt::black, 140, 153, 176, 195), 0);  // the sharer's line runs on too
  // No background of their own: where no text is drawn the window shows through.
  EXPECT_EQ(after.pixelColor(12, 166), background);
  EXPECT_EQ(after.pixelColor(255, 186), background);

  SetControlText("透明标签1", Text());  // the window forgets the old text when the label is emptied
  QApplication::processEvents();
  EXPECT_EQ(CountColour(window_->grab().toImage(), red, 0, 444, 0, 354), 0);
}

}  // namespace
