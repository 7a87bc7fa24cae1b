// The few socket calls the loopback server makes, one implementation per
// platform's socket interface (BSD sockets or Winsock 2), so that the server
// itself is written once. Internal to the test servers.
#pragma once

#include <cstddef>

#include "tests/servers/LoopbackServer.h"

inline constexpr LoopbackSocket kNoSocket = -1;

// A socket listening on 127.0.0.1 at an ephemeral port, which goes to
// *port; aborts when there is none, as no test could go on without it.
LoopbackSocket ListenOnLoopback(int* port);
// A port on 127.0.0.1 that was free a moment ago and that nobody listens on.
int FreeLoopbackPort();
LoopbackSocket AcceptConnection(LoopbackSocket listener);   // kNoSocket when none came
bool WaitReadable(LoopbackSocket socket, int milliseconds);
// Bytes moved, or 0 or less when the connection is over or failed.
long SendSome(LoopbackSocket socket, const char* bytes, std::size_t size);
long ReceiveSome(LoopbackSocket socket, char* buffer, std::size_t size);
void ResetOnClose(LoopbackSocket socket);                   // close with RST, not FIN
void ShutDownSending(LoopbackSocket socket);
void CloseSocket(LoopbackSocket socket);
