#include "shell/qt/StartProgram.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>

#include "platform/MessageBox.h"
#include "platform/MessageBoxQt.h"
#include "shell/qt/MainWindow.h"
#include "text/Fatal.h"

namespace {

QtMessageHandler gQtHandler = nullptr;

[[noreturn]] void FailToLoad() { RaiseFatalError(0, "载入启动窗口失败"_cp936); }

// While the window loads, a fatal message from Qt (it cannot reach the
// display, it has no platform plugin) is our window failing to load. Qt's own
// words still go to standard error first: they say why.
void WatchLoading(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    gQtHandler(type, context, message);
    return;
  }
  std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
  FailToLoad();
}

}  // namespace

int StartProgram() {
  // QApplication keeps these for its whole life; the real ones are not given
  // to it, so it reads none of Qt's own options either.
  static int argc = 1;
  static char name[] = "linkpeel";
  static char* argv[] = {name, nullptr};

  gQtHandler = qInstallMessageHandler(WatchLoading);
  QApplication application(argc, argv);
  SetMessageBoxPresenter(PresentMessageBoxQt);
  if (LoadMainWindow() == nullptr) FailToLoad();
  qInstallMessageHandler(gQtHandler);

  application.exec();
  delete MainWindow();  // normally gone already, deleted on close
  SetMessageBoxPresenter(nullptr);
  return 0;
}
