// The program's start: brings up the window toolkit, loads the main window
// and runs the message loop until the window is gone; then answers 0, the
// process's exit code. A window that cannot be loaded (no display, no screen)
// is the fatal run-time error "载入启动窗口失败" (exit code 255). Reads no
// command-line argument, file or setting of its own.
#pragma once

int StartProgram();
