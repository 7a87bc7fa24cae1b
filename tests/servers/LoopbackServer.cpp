#include "tests/servers/LoopbackServer.h"

#include <cctype>
#include <chrono>
#include <cstdlib>

#include "tests/servers/LoopbackSocket.h"

namespace {

constexpr int kReadTimeoutMs = 10'000;

bool SameLettersIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
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
    if (colon != std::string_view::npos && SameLettersIgnoringCase(line.substr(0, colon), name)) {
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
    long n = SendSome(socket_, bytes.data(), bytes.size());
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

void Peer::Reset() {
  resetting_ = true;
  ResetOnClose(socket_);
}

void Peer::Hold(int milliseconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!stopping_ && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

LoopbackServer::LoopbackServer(Handler handler) : handler_(std::move(handler)) {
  listener_ = ListenOnLoopback(&port_);
  acceptor_ = std::thread([this] { Accept(); });
}

LoopbackServer::~LoopbackServer() {
  stopping_ = true;
  acceptor_.join();
  CloseSocket(listener_);
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

int LoopbackServer::UnusedPort() { return FreeLoopbackPort(); }

void LoopbackServer::Accept() {
  while (!stopping_) {
    if (!WaitReadable(listener_, 50)) continue;
    LoopbackSocket s = AcceptConnection(listener_);
    if (s == kNoSocket) continue;
    // Detached, so that a long run of connections does not pile up threads;
    // the destructor waits for the count to fall to zero.
    ++active_;
    std::thread([this, s] {
      Serve(s);
      --active_;
    }).detach();
  }
}

void LoopbackServer::Serve(LoopbackSocket s) {
  ReceivedRequest request;
  std::string data;
  char buffer[65536];
  std::size_t headEnd = std::string::npos;
  std::size_t bodyLength = 0;
  bool complete = false;
  while (!stopping_ && WaitReadable(s, kReadTimeoutMs)) {
    long n = ReceiveSome(s, buffer, sizeof buffer);
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
      CloseSocket(s);
      return;
    }
  }
  ShutDownSending(s);
  // Let the client read to the end before the socket goes, or the kernel may
  // answer its last bytes with a reset.
  while (WaitReadable(s, 1000) && ReceiveSome(s, buffer, sizeof buffer) > 0) {
  }
  CloseSocket(s);
}

std::string HttpAnswer(int status, std::string_view headers, std::string_view body) {
  const char* reason = status == 200 ? "OK" : status == 404 ? "Not Found" : status < 400 ? "Redirect" : "Error";
  std::string answer = "HTTP/1.1 " + std::to_string(status) + " " + reason + "\r\n";
  answer += headers;
  answer += "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n";
  answer += body;
  return answer;
}
