// shell_escape <program>: starts the program, waits until the X server maps a
// window that the program owns (_NET_WM_PID), gives it the focus and sends it
// Esc, then waits for the program to end and ends with its exit code. The
// same steps for every program measured, so that only the programs differ.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

extern char** environ;

namespace {

long WindowPid(Display* display, Window window) {
  static Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  long pid = -1;
  if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                         &data) == Success && data != nullptr) {
    if (count == 1) pid = *reinterpret_cast<long*>(data);
    XFree(data);
  }
  return pid;
}

void SendKey(Display* display, Window window, KeySym key) {
  XKeyEvent event{};
  event.display = display;
  event.window = window;
  event.root = DefaultRootWindow(display);
  event.time = CurrentTime;
  event.same_screen = True;
  event.keycode = XKeysymToKeycode(display, key);
  event.type = KeyPress;
  XSendEvent(display, window, True, KeyPressMask, reinterpret_cast<XEvent*>(&event));
  event.type = KeyRelease;
  XSendEvent(display, window, True, KeyReleaseMask, reinterpret_cast<XEvent*>(&event));
  XFlush(display);
}

// The window may be gone by the time a repeated key reaches it.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

// True once the process has ended, within `milliseconds`. A pidfd wakes us
// the moment it ends, so that no polling interval is added to either program
// measured; without one (an old kernel) we look every tenth of a millisecond.
bool WaitForEnd(int pidfd, pid_t pid, int milliseconds, int& status) {
  if (pidfd >= 0) {
    pollfd ended{pidfd, POLLIN, 0};
    if (poll(&ended, 1, milliseconds) <= 0) return false;
    return waitpid(pid, &status, 0) == pid;
  }
  for (int i = 0; i < milliseconds * 10; ++i) {
    if (waitpid(pid, &status, WNOHANG) == pid) return true;
    usleep(100);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: shell_escape <program> [arguments]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "shell_escape: no display\n");
    return 2;
  }
  XSetErrorHandler(IgnoreErrors);
  XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
  XSync(display, False);

  pid_t pid;
  if (posix_spawn(&pid, argv[1], nullptr, nullptr, argv + 1, environ) != 0) {
    std::perror("shell_escape");
    return 2;
  }
  int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  Window window = None;
  while (window == None) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == MapNotify && WindowPid(display, event.xmap.window) == pid) window = event.xmap.window;
  }
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
  SendKey(display, window, XK_Escape);
  // A key that arrives before the program is ready for it is lost: Esc again
  // every half second, and after ten seconds the program is stopped.
  int status = 0;
  for (int tries = 0; !WaitForEnd(pidfd, pid, 500, status); ++tries) {
    if (tries == 20) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      std::fprintf(stderr, "shell_escape: the program did not end\n");
      return 3;
    }
    SendKey(display, window, XK_Escape);
  }
  XCloseDisplay(display);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
