#include "tests/servers/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

constexpr int kReadTimeoutMs = 10'000;

bool WaitReadable(int socket, int milliseconds) {
  pollfd p{socket, POLLIN, 0};
  return poll(&p, 1, milliseconds) > 0;
}

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string ReceivedRequest::Header(std::string_view name) const {
  std::size_t i = head.find("\r\n");
  while (i != std::string::npos && i + 2 < head.size()) {
    std::size_t start = i + 2;
    std::size_t end = head.find("\r\n", start);
    std::string_view line(head.data() + start, end - start);
    std::size_t colon = line.find(':');
    if (colon != std::string_view::npos && colon == name.size() &&
        strncasecmp(line.data(), name.data(), name.size()) == 0) {
      return std::string(TrimSpaces(line.substr(colon + 1)));
    }
    i = end;
  }
  return {};
}

bool ReceivedRequest::HasHeader(std::string_view name) const {
  std::string needle = "\r\n" + std::string(name) + ":";
  std::string lowerHead(head), lowerNeedle(needle);
  for (char& c : lowerHead) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char& c : lowerNeedle) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lowerHead.find(lowerNeedle) != std::string::npos;
}

bool Peer::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void Peer::Reset() {
  resetting_ = true;
  linger l{1, 0};
  setsockopt(socket_, SOL_SOCKET, SO_LINGER, &l, sizeof l);
}

void Peer::Hold(int milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!stopping_ && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

LoopbackServer::LoopbackServer(Handler handler) : handler_(std::move(handler)) {
  listener_ = socket(AF_INET, SOCK_STREAM, 0);
  int on = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener_, 512) != 0) {
    std::abort();
  }
  socklen_t len = sizeof addr;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  acceptor_ = std::thread([this] { Accept(); });
}

LoopbackServer::~LoopbackServer() {
  stopping_ = true;
  acceptor_.join();
  close(listener_);
  while (active_ > 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

std::string LoopbackServer::Url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<ReceivedRequest> LoopbackServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

std::size_t LoopbackServer::RequestCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_.size();
}

int LoopbackServer::UnusedPort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  close(s);
  return ntohs(addr.sin_port);
}

void LoopbackServer::Accept() {
  while (!stopping_) {
    if (!WaitReadable(listener_, 50)) continue;
    int s = accept(listener_, nullptr, nullptr);
    if (s < 0) continue;
    // Detached, so that a long run of connections does not pile up threads;
    // the destructor waits for the count to fall to zero.
    ++active_;
    std::thread([this, s] {
      Serve(s);
      --active_;
    }).detach();
  }
}

void LoopbackServer::Serve(int s) {
  ReceivedRequest request;
  std::string data;
  char buffer[65536];
  std::size_t headEnd = std::string::npos;
  std::size_t bodyLength = 0;
  bool complete = false;
  while (!stopping_ && WaitReadable(s, kReadTimeoutMs)) {
    ssize_t n = recv(s, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    data.append(buffer, static_cast<std::size_t>(n));
    if (headEnd == std::string::npos) {
      headEnd = data.find("\r\n\r\n");
      if (headEnd == std::string::npos) continue;
      request.head = data.substr(0, headEnd + 4);
      std::string length = request.Header("Content-Length");
      bodyLength = length.empty() ? 0 : std::strtoul(length.c_str(), nullptr, 10);
    }
    if (data.size() >= headEnd + 4 + bodyLength) {
      complete = true;
      break;
    }
  }
  if (complete) {
    request.body = data.substr(headEnd + 4, bodyLength);
    std::size_t sp1 = request.head.find(' ');
    std::size_t sp2 = request.head.find(' ', sp1 + 1);
    request.method = request.head.substr(0, sp1);
    request.target = request.head.substr(sp1 + 1, sp2 - sp1 - 1);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request);
    }
    Peer peer(s, stopping_);
    handler_(request, peer);
    if (peer.resetting()) {
      close(s);
      return;
    }
  }
  shutdown(s, SHUT_WR);
  // Let the client read to the end before the socket goes, or the kernel may
  // answer its last bytes with a reset.
  while (WaitReadable(s, 1000) && recv(s, buffer, sizeof buffer, 0) > 0) {
  }
  close(s);
}

std::string HttpAnswer(int status, std::string_view headers, std::string_view body) {
  const char* reason = status == 200 ? "OK" : status == 404 ? "Not Found" : status < 400 ? "Redirect" : "Error";
  std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
  answer += headers;
  answer += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
  answer += body;
  return answer;
}
