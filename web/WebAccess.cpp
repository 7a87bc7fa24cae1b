// The web access routine. Steps, in the order they run:
//   verb and agent; the three handles (each failure ends the call with
//   nothing changed); header completion in the caller's variable; the send;
//   the body loop; the raw header block; closing; the response-header step.
#include "web/WebAccess.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/LastError.h"
#include "platform/Memory.h"
#include "platform/WinINet.h"
#include "text/Markers.h"
#include "web/Cookies.h"
#include "web/Url.h"

namespace {

constexpr int kReadChunk = 1024;
constexpr int kHeaderBufferLength = 5000;

// The body as it arrives, read into by the platform directly. When the
// answer announces its length, the body goes straight into one buffer of that
// size (only reserved: a length that overstates costs no memory). Otherwise,
// or past it, into blocks that grow with the body (up to 16 MiB), joined once
// at the end. Either way there is no copy per chunk, and the memory peak stays
// near twice the body at most. Large blocks start on a large-page boundary so
// that the allocator's large-page hint covers all of them.
class BodyBuffer {
 public:
  // `room`: what each read asks for, so that the read that finds the end
  // still fits in the reservation.
  BodyBuffer(std::size_t announced, std::size_t room) {
    if (announced > 0) {
      head_.reserve(std::min(announced, kMaxAnnounced) + room);
    }
  }
  BodyBuffer(const BodyBuffer&) = delete;
  BodyBuffer& operator=(const BodyBuffer&) = delete;
  ~BodyBuffer() {
    for (Block& block : blocks_) CheckedAllocator<char>().deallocate(block.memory, block.allocated);
  }

  // Room for `count` more bytes at the end; Commit says how many came.
  char* Room(std::size_t count) {
    if (blocks_.empty() && head_.capacity() - headSize_ >= count) {
      head_.resize(headSize_ + count);  // within the reservation: no reallocation
      return head_.data() + headSize_;
    }
    if (blocks_.empty() || blocks_.back().capacity - blocks_.back().size < count) {
      std::size_t capacity = std::min(kMaxBlock, std::max({kMinBlock, Size(), count}));
      // Large blocks start on a large-page boundary, so that all of them can
      // sit on large pages; the slack before it is never touched.
      std::size_t slack = capacity >= kLargePageSize ? kLargePageSize : 0;
      char* memory = CheckedAllocator<char>().allocate(capacity + slack);
      auto address = reinterpret_cast<std::uintptr_t>(memory);
      char* data = memory + (slack == 0 ? 0 : (kLargePageSize - address % kLargePageSize) % kLargePageSize);
      blocks_.push_back({memory, data, 0, capacity, capacity + slack});
    }
    return blocks_.back().data + blocks_.back().size;
  }

  void Commit(std::size_t count) {
    if (blocks_.empty()) {
      headSize_ += count;  // the bytes are already in place
    } else {
      blocks_.back().size += count;
      inBlocks_ += count;
    }
  }

  Bytes Join() {
    head_.resize(headSize_);  // drops the room offered to a read that brought nothing
    if (inBlocks_ == 0) {
      // An overstated length leaves most of the reservation unused.
      if (head_.capacity() - head_.size() > head_.size() + kMinBlock) head_.shrink_to_fit();
      return Bytes(std::move(head_));
    }
    ByteString whole;
    whole.reserve(Size());
    whole.append(head_);
    ByteString().swap(head_);
    for (Block& block : blocks_) {
      whole.append(block.data, block.size);
      CheckedAllocator<char>().deallocate(block.memory, block.allocated);
    }
    blocks_.clear();
    return Bytes(std::move(whole));
  }

 private:
  struct Block {
    char* memory;  // as allocated
    char* data;    // where the bytes start
    std::size_t size, capacity, allocated;
  };
  std::size_t Size() const { return headSize_ + inBlocks_; }

  static constexpr std::size_t kMinBlock = 64 * 1024;
  static constexpr std::size_t kMaxBlock = 16 * 1024 * 1024;
  static constexpr std::size_t kMaxAnnounced = std::size_t{1} << 30;
  ByteString head_;
  std::size_t headSize_ = 0;  // bytes of head_ that hold the body
  std::vector<Block, CheckedAllocator<Block>> blocks_;
  std::size_t inBlocks_ = 0;
};

// A control byte in the address would go into the Referer line as it is and
// could start header lines of the page's own choosing; such an address is
// not requested at all.
bool HasControlByte(const Text& text) {
  for (char c : text.view()) {
    auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) return true;
  }
  return false;
}

Text AgentFor(const Text& headers) {
  if (FindText(headers, "User-Agent:", 1, true) == -1) return kDefaultAgent;
  Text agent = TrimSpaces(TextBetween(headers, "User-Agent:", "\r\n"));
  if (CompareText(agent, "") == 0) agent = HeaderValue(headers);
  return agent;
}

void CompleteHeaders(Text& headers, const Text& url, const Text& cookieText) {
  if (FindText(headers, "Referer:") == -1) {
    headers = CompareText(headers, "") == 0 ? ConcatText("Referer: ", url)
                                            : ConcatText(headers, "\r\nReferer: ", url);
  }
  if (FindText(headers, "Accept:") == -1) headers = ConcatText(headers, "\r\nAccept: */*");
  if (FindText(headers, "Accept-Language:") == -1) headers = ConcatText(headers, "\r\nAccept-Language: zh-cn");
  if (FindText(headers, "Content-Type:") == -1) {
    headers = ConcatText(headers, "\r\nContent-Type: application/x-www-form-urlencoded");
  }
  if (CompareText(cookieText, "") != 0) headers = ConcatText(headers, "\r\nCookie: ", cookieText);
}

// The response-header step: the redirect target, the answer's cookie pairs
// and, for a caller who keeps cookies, the merge.
void TakeResponseHeaders(const Text& rawHeaders, Text* cookies, Text& returnedCookies, Text& location) {
  TextList lines = SplitText(rawHeaders, "\r\n");
  returnedCookies = Text();
  for (int i = 1; i <= ListCount(lines); ++i) {
    const Text& line = ListItem(lines, i);
    if (FindText(line, "Location:") != -1) location = HeaderValue(line);
    if (FindText(line, "Set-Cookie") != -1) {
      returnedCookies = ConcatText(returnedCookies, TrimSpaces(TextBetween(line, "Set-Cookie:", ";")), "; ");
    }
  }
  returnedCookies = LeftText(returnedCookies, TextLength(returnedCookies) - 2);
  if (cookies != nullptr) MergeCookies(*cookies, returnedCookies);
  if (CompareText(location, "") == 0) location = rawHeaders;
}

}  // namespace

Bytes WebAccess(const Text& url, int method, const Text& postText, Text* cookies, Text* returnedCookies,
                Text* extraHeaders, Text* location, bool noRedirect, Bytes* postBytes, const Text* proxy,
                Text* rawHeaders) {
  Text ownReturnedCookies, ownHeaders, ownLocation, ownRawHeaders;
  Bytes ownPostBytes;
  Text& returned = returnedCookies != nullptr ? *returnedCookies : ownReturnedCookies;
  Text& headers = extraHeaders != nullptr ? *extraHeaders : ownHeaders;
  Text& target = location != nullptr ? *location : ownLocation;
  Bytes& body = postBytes != nullptr ? *postBytes : ownPostBytes;
  Text& raw = rawHeaders != nullptr ? *rawHeaders : ownRawHeaders;
  const DWORD callerError = GetLastError();

  const char* verb = method == 1 ? "POST" : "GET";
  Text agent = AgentFor(headers);

  HINTERNET internet =
      proxy != nullptr
          ? InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PROXY, ConcatText("http=", *proxy).c_str(), "", 0)
          : InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  if (internet == nullptr) return {};

  HINTERNET connection = InternetConnectA(internet, UrlHost(url).c_str(), static_cast<INTERNET_PORT>(UrlPort(url)),
                                          nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  if (connection == nullptr) {
    InternetCloseHandle(internet);
    return {};
  }

  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NEED_FILE;
  if (cookies != nullptr) flags |= INTERNET_FLAG_NO_COOKIES;
  if (noRedirect) flags |= INTERNET_FLAG_NO_AUTO_REDIRECT;
  flags |= CompareText(ToLowerText(LeftText(url, 5)), "https") == 0 ? INTERNET_FLAG_SECURE
                                                                     : INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS;
  HINTERNET request = nullptr;
  if (HasControlByte(url)) {
    SetLastError(ERROR_INTERNET_INVALID_URL);  // as the platform answers such an object
  } else {
    request = HttpOpenRequestA(connection, verb, UrlPath(url).c_str(), "HTTP/1.1", nullptr, nullptr, flags, 0);
  }
  if (request == nullptr) {
    InternetCloseHandle(connection);
    InternetCloseHandle(internet);
    return {};
  }

  CompleteHeaders(headers, url, cookies != nullptr ? *cookies : Text());

  // What the caller reads from the last-error value afterwards is why the
  // exchange failed: the send's code, else a broken-off read's. The queries
  // below fail too after a failed send, or for an answer without a length,
  // and would hide it; an exchange that went through leaves the caller's value
  // (taken before the first call into the platform, whose succeeding calls
  // may overwrite it).
  DWORD failure = ERROR_SUCCESS;
  BOOL sent = FALSE;
  if (method == 0) {
    sent = HttpSendRequestA(request, headers.c_str(), static_cast<DWORD>(TextLength(headers)), nullptr, 0);
  } else {
    if (BytesLength(body) == 0) body = TextToBytes(postText);
    sent = HttpSendRequestA(request, headers.c_str(), static_cast<DWORD>(TextLength(headers)),
                            BytesLength(body) == 0 ? nullptr : body.data(), static_cast<DWORD>(BytesLength(body)));
  }
  if (!sent) failure = GetLastError();

  // The announced length only sizes the buffer; it is not relied on.
  DWORD announced = 0;
  DWORD announcedLength = sizeof announced;
  if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &announcedLength,
                      nullptr)) {
    announced = 0;
  }
  BodyBuffer received(announced, kReadChunk);
  DWORD count = 0;
  for (;;) {
    if (!InternetReadFile(request, received.Room(kReadChunk), kReadChunk, &count) && failure == ERROR_SUCCESS) {
      failure = GetLastError();
    }
    if (count == 0) break;
    received.Commit(count);
  }

  // The platform fills the buffer in place and ends what it wrote with a NUL;
  // a failed query leaves the spaces.
  ByteString buffer(kHeaderBufferLength, ' ');
  DWORD length = kHeaderBufferLength;
  HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), &length, nullptr);
  raw = Text(std::move(buffer));

  InternetCloseHandle(request);
  InternetCloseHandle(connection);
  InternetCloseHandle(internet);
  SetLastError(failure != ERROR_SUCCESS ? failure : callerError);

  TakeResponseHeaders(raw, cookies, returned, target);
  return received.Join();
}
