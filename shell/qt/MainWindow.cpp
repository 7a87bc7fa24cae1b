// The Qt main window, in two steps: the making of one control from its row
// of the form, and the window around them.
#include "shell/qt/MainWindow.h"

#include <QApplication>
#include <QColor>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWidget>

#include <limits>
#include <string>
#include <vector>

#include "shell/Skin.h"
#include "shell/qt/Banner.h"
#include "shell/qt/ControlText.h"
#include "shell/qt/EventHook.h"

namespace {

QPointer<QWidget> gMainWindow;

// ---- 1. One control from its row -------------------------------------------------

void SetBlackOnWhite(QWidget* edit) {
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Text, Qt::black);
  edit->setPalette(palette);
}

QWidget* MakePushButton(const ControlRow& row, QWidget* window) {
  auto* button = new QPushButton(window);
  // Outside a dialog no button is a default one; said here so that Enter can
  // never press one whatever a style or skin decides.
  button->setAutoDefault(false);
  button->setDefault(false);
  if (row.event != nullptr) QObject::connect(button, &QPushButton::clicked, row.event);
  return button;
}

QWidget* MakeLabel(QWidget* window) {
  auto* label = new QLabel(window);
  label->setTextFormat(Qt::PlainText);  // a file name with "<b>" in it is text, not markup
  return label;
}

QWidget* MakeTransparentLabel(const ControlRow& row, QWidget* window) {
  auto* label = new QLabel(window);
  label->setTextFormat(Qt::PlainText);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor(row.textColour.red, row.textColour.green, row.textColour.blue));
  label->setPalette(palette);
  // The label keeps the text (for SetControlText and accessibility tools);
  // the window draws it, unclipped, on its own background.
  HookEvent(label, QEvent::Paint, [](QEvent*) { return true; });
  return label;
}

QWidget* MakePictureBox(const ControlRow& row, QWidget* window) {
  auto* box = new QLabel(window);
  box->setFrameShape(QFrame::NoFrame);
  box->setAlignment(Qt::AlignLeft | Qt::AlignTop);  // unscaled from the top-left, cut at the bottom
  box->setPixmap(QPixmap::fromImage(DecodeJpeg(BannerJpeg())));
  void (*pressed)() = row.event;
  // Every press counts, the second of a double click included, and it acts
  // at once, before the button is released.
  auto onPress = [pressed](QEvent* event) {
    if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) return false;
    pressed();
    return true;
  };
  HookEvent(box, QEvent::MouseButtonPress, onPress);
  HookEvent(box, QEvent::MouseButtonDblClick, onPress);
  return box;
}

QWidget* MakeEditBox(QWidget* window) {
  auto* edit = new QLineEdit(window);
  edit->setMaxLength(std::numeric_limits<int>::max());
  SetBlackOnWhite(edit);
  // Qt drops the selection when another control takes the focus; when the
  // whole window loses it, the selection is hidden instead of greyed.
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Inactive, QPalette::Highlight, palette.color(QPalette::Inactive, QPalette::Base));
  palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                   palette.color(QPalette::Inactive, QPalette::Text));
  edit->setPalette(palette);
  return edit;
}

QWidget* MakeMultiLineEditBox(QWidget* window) {
  auto* box = new QPlainTextEdit(window);
  box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  box->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);  // a long link breaks anywhere
  box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  SetBlackOnWhite(box);
  return box;
}

QWidget* MakeControl(const ControlRow& row, QWidget* window) {
  QWidget* control = nullptr;
  switch (row.kind) {
    case ControlKind::PushButton: control = MakePushButton(row, window); break;
    case ControlKind::Label: control = MakeLabel(window); break;
    case ControlKind::TransparentLabel: control = MakeTransparentLabel(row, window); break;
    case ControlKind::PictureBox: control = MakePictureBox(row, window); break;
    case ControlKind::EditBox: control = MakeEditBox(window); break;
    case ControlKind::MultiLineEditBox: control = MakeMultiLineEditBox(window); break;
    case ControlKind::None: return nullptr;
  }
  control->setObjectName(QString::fromUtf8(row.name));
  SetControlKind(control, row.kind);
  control->setGeometry(row.left, row.top, row.width, row.height);
  control->setEnabled(row.enabled);
  SetControlText(control, row.text);
  return control;
}

// ---- 2. The window ------------------------------------------------------------

// The transparent labels' texts: one line each, left-aligned and vertically
// centred in the label's rectangle, and free to run past it.
void DrawTransparentLabels(QWidget* window, const std::vector<QLabel*>& labels) {
  QPainter painter(window);
  for (const QLabel* label : labels) {
    if (label->text().isEmpty()) continue;
    painter.setFont(label->font());
    painter.setPen(label->palette().color(QPalette::WindowText));
    painter.drawText(label->geometry(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                     label->text());
  }
}

}  // namespace

QWidget* MainWindow() { return gMainWindow.data(); }

QWidget* LoadMainWindow() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return nullptr;

  // A title bar with the system menu and the close box, and nothing to
  // minimise or maximise with.
  auto* window = new QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  window->setObjectName(QString::fromUtf8(kMainWindowName));
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->setWindowTitle(ToQString(WindowCaption()));
  window->setFixedSize(kClientWidth, kClientHeight);
  gMainWindow = window;

  std::vector<QLabel*> transparentLabels;
  for (const ControlRow& row : ControlTable()) {
    QWidget* control = MakeControl(row, window);
    if (row.kind == ControlKind::TransparentLabel) transparentLabels.push_back(static_cast<QLabel*>(control));
  }
  HookEvent(window, QEvent::Paint, [window, transparentLabels](QEvent*) {
    DrawTransparentLabels(window, transparentLabels);
    return false;
  });

  // Esc closes from every control: a window-wide shortcut, which neither
  // edit box claims for itself.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
  escape->setContext(Qt::WindowShortcut);
  QObject::connect(escape, &QShortcut::activated, CloseMainWindow);

  InstallSkin();

  QRect area = screen->geometry();
  window->move(area.x() + (area.width() - kWindowOuterWidth) / 2,
               area.y() + (area.height() - kWindowOuterHeight) / 2);
  window->show();
  return window;
}

void CloseMainWindow() {
  if (QWidget* window = gMainWindow.data())
    QMetaObject::invokeMethod(window, &QWidget::close, Qt::QueuedConnection);
}
