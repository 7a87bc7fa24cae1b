// The loopback server's socket calls over BSD sockets.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/servers/LoopbackSocket.h"

namespace {

sockaddr_in LoopbackAddress() {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  return addr;
}

int BoundPort(int s) {
  sockaddr_in addr{};
  socklen_t len = sizeof addr;
  getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  return ntohs(addr.sin_port);
}

int Fd(LoopbackSocket s) { return static_cast<int>(s); }

}  // namespace

LoopbackSocket ListenOnLoopback(int* port) {
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  int on = 1;
  setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in addr = LoopbackAddress();
  if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 512) != 0) {
    std::abort();
  }
  *port = BoundPort(listener);
  return listener;
}

int FreeLoopbackPort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr = LoopbackAddress();
  bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  int port = BoundPort(s);
  close(s);
  return port;
}

LoopbackSocket AcceptConnection(LoopbackSocket listener) {
  int s = accept(Fd(listener), nullptr, nullptr);
  return s < 0 ? kNoSocket : s;
}

bool WaitReadable(LoopbackSocket socket, int milliseconds) {
  pollfd p{Fd(socket), POLLIN, 0};
  return poll(&p, 1, milliseconds) > 0;
}

long SendSome(LoopbackSocket socket, const char* bytes, std::size_t size) {
  // A client gone early must not end the test program with SIGPIPE.
  return ::send(Fd(socket), bytes, size, MSG_NOSIGNAL);
}

long ReceiveSome(LoopbackSocket socket, char* buffer, std::size_t size) {
  return recv(Fd(socket), buffer, size, 0);
}

void ResetOnClose(LoopbackSocket socket) {
  linger l{1, 0};
  setsockopt(Fd(socket), SOL_SOCKET, SO_LINGER, &l, sizeof l);
}

void ShutDownSending(LoopbackSocket socket) { shutdown(Fd(socket), SHUT_WR); }

void CloseSocket(LoopbackSocket socket) { close(Fd(socket)); }
