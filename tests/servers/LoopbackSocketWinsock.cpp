// The loopback server's socket calls over Winsock 2.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <climits>
#include <cstdlib>

#include "tests/servers/LoopbackSocket.h"

namespace {

// Winsock must be started before the first call into it; a test program
// starts it once and lets the process's end clean up.
void StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) std::abort();
}

sockaddr_in LoopbackAddress() {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  return addr;
}

int BoundPort(SOCKET s) {
  sockaddr_in addr{};
  int len = sizeof addr;
  getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  return ntohs(addr.sin_port);
}

SOCKET Handle(LoopbackSocket s) { return static_cast<SOCKET>(s); }

// Winsock counts in int; the server never moves more than a buffer at once,
// but a caller's larger piece goes in int-sized steps.
int Clamped(std::size_t size) { return size > INT_MAX ? INT_MAX : static_cast<int>(size); }

}  // namespace

LoopbackSocket ListenOnLoopback(int* port) {
  StartWinsock();
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  // Not SO_REUSEADDR: on Windows it lets another socket take the same port
  // while this one listens. Exclusive use is what a test wants.
  BOOL on = TRUE;
  setsockopt(listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
  sockaddr_in addr = LoopbackAddress();
  if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(listener, SOMAXCONN) != 0) {
    std::abort();
  }
  *port = BoundPort(listener);
  return static_cast<LoopbackSocket>(listener);
}

int FreeLoopbackPort() {
  StartWinsock();
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr = LoopbackAddress();
  bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  int port = BoundPort(s);
  closesocket(s);
  return port;
}

LoopbackSocket AcceptConnection(LoopbackSocket listener) {
  SOCKET s = accept(Handle(listener), nullptr, nullptr);
  return s == INVALID_SOCKET ? kNoSocket : static_cast<LoopbackSocket>(s);
}

bool WaitReadable(LoopbackSocket socket, int milliseconds) {
  WSAPOLLFD p{Handle(socket), POLLRDNORM, 0};
  return WSAPoll(&p, 1, milliseconds) > 0;
}

long SendSome(LoopbackSocket socket, const char* bytes, std::size_t size) {
  return ::send(Handle(socket), bytes, Clamped(size), 0);
}

long ReceiveSome(LoopbackSocket socket, char* buffer, std::size_t size) {
  return recv(Handle(socket), buffer, Clamped(size), 0);
}

void ResetOnClose(LoopbackSocket socket) {
  linger l{1, 0};
  setsockopt(Handle(socket), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
}

void ShutDownSending(LoopbackSocket socket) { shutdown(Handle(socket), SD_SEND); }

void CloseSocket(LoopbackSocket socket) { closesocket(Handle(socket)); }
