// A small HTTP server on 127.0.0.1 for tests and benchmarks: it listens on
// an ephemeral port, reads each request (head and Content-Length body),
// records it, and lets a handler answer on the raw socket, so a test can
// send anything from a proper answer to a broken-off one. One request per
// connection. Everything it does is bounded by time-outs, and the destructor
// stops it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// A connected or listening socket: a descriptor on POSIX, a SOCKET on
// Windows (pointer-sized there, so it does not fit an int).
using LoopbackSocket = std::intptr_t;

struct ReceivedRequest {
  std::string head;         // request line and header lines, CR LF each, blank line included
  std::string body;
  std::string method;
  std::string target;       // as on the request line
  std::string Header(std::string_view name) const;  // value of the first such line, or ""
  bool HasHeader(std::string_view name) const;
};

class Peer {
 public:
  Peer(LoopbackSocket socket, const std::atomic<bool>& stopping) : socket_(socket), stopping_(stopping) {}
  bool Send(std::string_view bytes);
  void Reset();                        // close with RST instead of FIN
  void Hold(int milliseconds);         // stay silent (ends early when the server stops)
  bool resetting() const { return resetting_; }

 private:
  bool resetting_ = false;
  LoopbackSocket socket_;
  const std::atomic<bool>& stopping_;
};

class LoopbackServer {
 public:
  using Handler = std::function<void(const ReceivedRequest&, Peer&)>;

  explicit LoopbackServer(Handler handler);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int port() const { return port_; }
  std::string Url(std::string_view path = "/") const;   // http://127.0.0.1:port/path
  std::vector<ReceivedRequest> Requests() const;
  std::size_t RequestCount() const;

  // A port on 127.0.0.1 that nobody listens on (for refused connections).
  static int UnusedPort();

 private:
  void Accept();
  void Serve(LoopbackSocket socket);

  Handler handler_;
  LoopbackSocket listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  mutable std::mutex mutex_;
  std::atomic<int> active_{0};
  std::vector<ReceivedRequest> requests_;
};

// "HTTP/1.1 <status> <reason>\r\n" + headers (each ending "\r\n") +
// Content-Length + "Connection: close" + blank line + body.
std::string HttpAnswer(int status, std::string_view headers, std::string_view body);
