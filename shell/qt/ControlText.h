// The Qt side of the controls' text (shell/ControlText.h): code-page-936
// Text as Qt shows it. This is the one place where the two meet.
//
// Reading a control gives a new Text; writing replaces the control's text
// whole. Push buttons, labels, transparent labels and 编辑框2 take the text as
// it is. 编辑框5, the multi-line box, keeps its lines apart with CR LF, as a
// multi-line edit box does on the platform:
//   SetControlText(编辑框5, "a\r\nb")  => shows two lines; reads back "a\r\nb"
//   SetControlText(编辑框5, "a\nb")    => shows two lines; reads back "a\r\nb"
// The picture box and anything that is not a control has no text: reading
// gives "", writing does nothing.
#pragma once

#include <QString>

#include "shell/ControlText.h"
#include "shell/Form.h"

class QWidget;

// Each control carries its kind, so that the handlers (and tools) can tell
// the three sorts of label apart; a widget that is no control of the form is
// of kind None.
ControlKind ControlKindOf(const QWidget* control);
void SetControlKind(QWidget* control, ControlKind kind);

// The main window's control of that name (UTF-8, "编辑框2"); null when there
// is no main window or no such control.
QWidget* FindControl(const char* controlName);

Text GetControlText(const QWidget* control);
void SetControlText(QWidget* control, const Text& text);

// The conversion itself, for the window's own texts (its caption).
QString ToQString(const Text& text);
Text FromQString(const QString& text);
