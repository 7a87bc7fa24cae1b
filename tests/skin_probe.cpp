// A stand-in for the program's start, for test_Skin: a QApplication and a
// window, then InstallSkin as the window's created handler would run it. It
// prints the look the window ends up with:
//
//   look window=#f0f0f0 button=#e1e1e1 sheet=1
//
// With --hold it then prints "ready" and stays, as a running copy of the
// program does; each line "again" on standard input runs InstallSkin once
// more and answers "again ok". End of input ends it.
#include <QApplication>
#include <QPushButton>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "shell/Skin.h"

namespace {

void PrintLook(const QWidget& window) {
  std::printf("look window=%s button=%s sheet=%d\n", qPrintable(window.palette().color(QPalette::Window).name()),
              qPrintable(window.palette().color(QPalette::Button).name()), qApp->styleSheet().isEmpty() ? 0 : 1);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QWidget window;
  QPushButton button("OK", &window);
  InstallSkin();
  PrintLook(window);
  if (argc < 2 || std::strcmp(argv[1], "--hold") != 0) return 0;

  std::printf("ready\n");
  std::fflush(stdout);
  for (std::string line; std::getline(std::cin, line);) {
    if (line != "again") continue;
    InstallSkin();
    std::printf("again ok\n");
    std::fflush(stdout);
  }
  return 0;
}
