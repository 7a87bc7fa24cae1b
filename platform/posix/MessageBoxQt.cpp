#include "platform/MessageBoxQt.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>

#include <cstdio>

#include "platform/MessageBox.h"

void PresentMessageBoxQt(const char* captionUtf8, const char* textUtf8, UINT type) {
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
    std::fprintf(stderr, "%s\n%s\n", captionUtf8, textUtf8);
    std::fflush(stderr);
    return;
  }
  QString text = QString::fromUtf8(textUtf8);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));

  // No owner window: the box is modal to the whole program, as MB_TASKMODAL asks.
  QMessageBox box;
  box.setWindowTitle(QString::fromUtf8(captionUtf8));
  box.setTextFormat(Qt::PlainText);
  box.setText(text);
  box.setIcon((type & MB_ICONERROR) != 0 ? QMessageBox::Critical : QMessageBox::NoIcon);
  box.setStandardButtons(QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}
