// Conversion goes through our own ToWide and FromWide (936 <-> UTF-16), the
// same tables that the rest of the program uses, rather than Qt's codecs, so
// that a byte the window shows is the byte our text holds.
#include "shell/qt/ControlText.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

#include "text/CodePageText.h"

namespace {

constexpr char kKindProperty[] = "controlKind";

// Qt wraps at word ends where it can, and to learn that a line holds none it
// looks ahead to the end of the word: from every line's start, so a link of
// 1 MiB with nowhere to break takes it minutes (10 MiB, hours). Such a word is
// broken anywhere in the end; a text this long is broken anywhere from the
// start, and its layout grows only with its length. Shorter ones, far more
// than the box shows, keep their word wrapping.
constexpr qsizetype kLongestWordWrapped = 1 << 14;

QTextOption::WrapMode WrapModeFor(const QString& text) {
  return text.size() > kLongestWordWrapped ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
}

}  // namespace

ControlKind ControlKindOf(const QWidget* control) {
  if (control == nullptr) return ControlKind::None;
  QVariant kind = control->property(kKindProperty);
  return kind.isValid() ? static_cast<ControlKind>(kind.toInt()) : ControlKind::None;
}

void SetControlKind(QWidget* control, ControlKind kind) {
  control->setProperty(kKindProperty, static_cast<int>(kind));
}

QWidget* FindControl(const char* controlName) {
  if (controlName == nullptr) return nullptr;
  const QString windowName = QString::fromUtf8(kMainWindowName);
  for (QWidget* window : QApplication::topLevelWidgets())
    if (window->objectName() == windowName)
      return window->findChild<QWidget*>(QString::fromUtf8(controlName), Qt::FindDirectChildrenOnly);
  return nullptr;
}

QString ToQString(const Text& text) {
  Bytes wide = ToWide(text, 936);  // UTF-16 with its terminator
  return QString::fromUtf16(reinterpret_cast<const char16_t*>(wide.data()));
}

Text FromQString(const QString& text) {
  // The units with their terminator; a U+0000 in the control ends the text there.
  Bytes wide(text.utf16(), (static_cast<std::size_t>(text.size()) + 1) * sizeof(char16_t));
  return FromWide(wide, 936);
}

Text GetControlText(const QWidget* control) {
  if (control == nullptr || ControlKindOf(control) == ControlKind::PictureBox) return {};
  if (const auto* edit = qobject_cast<const QLineEdit*>(control)) return FromQString(edit->text());
  if (const auto* box = qobject_cast<const QPlainTextEdit*>(control)) {
    QString lines = box->toPlainText();
    lines.replace(u'\n', QStringLiteral("\r\n"));
    return FromQString(lines);
  }
  if (const auto* button = qobject_cast<const QPushButton*>(control)) return FromQString(button->text());
  if (const auto* label = qobject_cast<const QLabel*>(control)) return FromQString(label->text());
  return {};
}

void SetControlText(QWidget* control, const Text& text) {
  if (control == nullptr) return;
  ControlKind kind = ControlKindOf(control);
  if (kind == ControlKind::PictureBox) return;
  QString shown = ToQString(text);
  if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->setText(shown);
  } else if (auto* box = qobject_cast<QPlainTextEdit*>(control)) {
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // The mode changes while the shorter of the two texts is in the box, so
    // that the long one is never laid out word by word.
    QTextOption::WrapMode wrap = WrapModeFor(shown);
    if (wrap == QTextOption::WrapAnywhere) box->setWordWrapMode(wrap);
    box->setPlainText(shown);
    box->setWordWrapMode(wrap);
  } else if (auto* button = qobject_cast<QPushButton*>(control)) {
    button->setText(shown);
  } else if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(shown);
    // A transparent label's text is drawn by the window, and may reach past
    // the label: the window repaints, not the label.
    if (kind == ControlKind::TransparentLabel && label->parentWidget() != nullptr)
      label->parentWidget()->update();
  }
}

Text GetControlText(const char* controlName) { return GetControlText(FindControl(controlName)); }

void SetControlText(const char* controlName, const Text& text) {
  SetControlText(FindControl(controlName), text);
}
