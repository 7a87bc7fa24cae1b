// The yardstick for the window program's start: a bare Qt program that shows
// one empty window the way Linkpeel shows its own (fixed size, centred, Esc
// closes it) and does nothing else.
#include <QApplication>
#include <QScreen>
#include <QShortcut>
#include <QWidget>

int main() {
  static int argc = 1;
  static char name[] = "shell_bare";
  static char* argv[] = {name, nullptr};
  QApplication application(argc, argv);
  QWidget window(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowCloseButtonHint);
  window.setWindowTitle(QStringLiteral("Bare"));
  window.setFixedSize(444, 354);
  QShortcut escape(QKeySequence(Qt::Key_Escape), &window);
  QObject::connect(&escape, &QShortcut::activated, &window, &QWidget::close);
  QRect area = QGuiApplication::primaryScreen()->geometry();
  window.move(area.x() + (area.width() - 450) / 2, area.y() + (area.height() - 379) / 2);
  window.show();
  application.exec();
  return 0;
}
