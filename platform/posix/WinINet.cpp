// WinINet over libcurl.
//
//   libcurl        loaded at the first internet handle, not at start
//   handles        what each of the three handle kinds carries; the registry
//                  that tells a live handle from a stale pointer
//   checks         control bytes, host names, proxy lists
//   header text    the caller's lines, split, deduplicated, made curl lines
//   exchange       one hop = one curl transfer in a multi handle of its own,
//                  driven only while the caller waits for headers or bytes
//   redirects      followed here rather than by curl, so that the final
//                  answer's headers are the only ones kept and a Location to
//                  another scheme simply ends the chain
//   failures       why an exchange failed, as the platform's error codes
//   the seven operations
//
// The body is never held whole: curl's write callback fills a small queue
// that InternetReadFile drains, and curl is driven again only once it is
// empty.
#include "platform/WinINet.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/LastError.h"
#include "platform/WinINetTesting.h"

namespace {

// ---- libcurl --------------------------------------------------------------------
//
// libcurl drags in some thirty libraries (a TLS stack, Kerberos, LDAP, SSH)
// whose loading and start-up code would cost the window a good part of its
// start, though it goes online only when asked to. So nothing links it: it is
// loaded by name when the first internet handle is opened, and the functions
// used here are looked up into one table. Its header still gives the types.

struct CurlFunctions {
  decltype(&::curl_global_init) global_init;
  decltype(&::curl_share_init) share_init;
  decltype(&::curl_share_setopt) share_setopt;
  decltype(&::curl_slist_append) slist_append;
  decltype(&::curl_slist_free_all) slist_free_all;
  decltype(&::curl_multi_init) multi_init;
  decltype(&::curl_multi_add_handle) multi_add_handle;
  decltype(&::curl_multi_remove_handle) multi_remove_handle;
  decltype(&::curl_multi_perform) multi_perform;
  decltype(&::curl_multi_info_read) multi_info_read;
  decltype(&::curl_multi_poll) multi_poll;
  decltype(&::curl_multi_cleanup) multi_cleanup;
  decltype(&::curl_easy_init) easy_init;
  decltype(&::curl_easy_setopt) easy_setopt;
  decltype(&::curl_easy_getinfo) easy_getinfo;
  decltype(&::curl_easy_pause) easy_pause;
  decltype(&::curl_easy_cleanup) easy_cleanup;
  decltype(&::curl_url) url;
  decltype(&::curl_url_set) url_set;
  decltype(&::curl_url_get) url_get;
  decltype(&::curl_url_cleanup) url_cleanup;
  decltype(&::curl_free) free;
};

constexpr const char* kCurlLibrary = "libcurl.so.4";

// Filled once the library is bound and never emptied: the library is never
// unloaded, so what was bound stays callable.
CurlFunctions curl{};
CURLSH* gCookieStore = nullptr;

std::mutex gCurlMutex;
std::string gCurlLibrary = kCurlLibrary;
bool gCurlTried = false;
bool gCurlBound = false;

template <class F>
bool Look(void* library, const char* name, F& function) {
  function = reinterpret_cast<F>(dlsym(library, name));
  return function != nullptr;
}

bool LookAll(void* library, CurlFunctions& f) {
  return Look(library, "curl_global_init", f.global_init) && Look(library, "curl_share_init", f.share_init) &&
         Look(library, "curl_share_setopt", f.share_setopt) && Look(library, "curl_slist_append", f.slist_append) &&
         Look(library, "curl_slist_free_all", f.slist_free_all) && Look(library, "curl_multi_init", f.multi_init) &&
         Look(library, "curl_multi_add_handle", f.multi_add_handle) &&
         Look(library, "curl_multi_remove_handle", f.multi_remove_handle) &&
         Look(library, "curl_multi_perform", f.multi_perform) &&
         Look(library, "curl_multi_info_read", f.multi_info_read) && Look(library, "curl_multi_poll", f.multi_poll) &&
         Look(library, "curl_multi_cleanup", f.multi_cleanup) && Look(library, "curl_easy_init", f.easy_init) &&
         Look(library, "curl_easy_setopt", f.easy_setopt) && Look(library, "curl_easy_getinfo", f.easy_getinfo) &&
         Look(library, "curl_easy_pause", f.easy_pause) && Look(library, "curl_easy_cleanup", f.easy_cleanup) &&
         Look(library, "curl_url", f.url) && Look(library, "curl_url_set", f.url_set) &&
         Look(library, "curl_url_get", f.url_get) && Look(library, "curl_url_cleanup", f.url_cleanup) &&
         Look(library, "curl_free", f.free);
}

std::mutex gCookieMutex;

void LockCookies(CURL*, curl_lock_data, curl_lock_access, void*) { gCookieMutex.lock(); }
void UnlockCookies(CURL*, curl_lock_data, void*) { gCookieMutex.unlock(); }

// Loads and starts libcurl at the first call; true once `curl` may be called.
// A library that cannot be loaded, or lacks a function, is not asked for
// again: every exchange then fails as the platform's internal error.
bool BindCurl() {
  std::lock_guard<std::mutex> lock(gCurlMutex);
  if (gCurlTried) return gCurlBound;
  gCurlTried = true;
  void* library = dlopen(gCurlLibrary.c_str(), RTLD_NOW | RTLD_LOCAL);
  CurlFunctions found{};
  if (library == nullptr || !LookAll(library, found) || found.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
    return false;
  }
  curl = found;
  if (gCookieStore == nullptr) {
    // The cookie store of the process: one curl share, kept for the
    // process's life and never written to disk.
    gCookieStore = curl.share_init();
    curl.share_setopt(gCookieStore, CURLSHOPT_LOCKFUNC, LockCookies);
    curl.share_setopt(gCookieStore, CURLSHOPT_UNLOCKFUNC, UnlockCookies);
    curl.share_setopt(gCookieStore, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
  }
  gCurlBound = true;
  return true;
}


// ---- handles ------------------------------------------------------------------

enum class Kind { Internet, Connection, Request };

struct HandleBase {
  explicit HandleBase(Kind k) : kind(k) {}
  virtual ~HandleBase() = default;
  Kind kind;
};

struct Session {
  std::string agent;
  DWORD accessType = INTERNET_OPEN_TYPE_DIRECT;
  std::string proxyList;
  std::string bypassList;
};

struct InternetHandle : HandleBase {
  InternetHandle() : HandleBase(Kind::Internet) {}
  Session session;
};

struct ConnectionHandle : HandleBase {
  ConnectionHandle() : HandleBase(Kind::Connection) {}
  Session session;
  std::string host;
  INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
};

struct HeaderLine {
  std::string name;  // as written, for case-blind comparison
  std::string line;  // the whole line, name included
};

struct RequestHandle : HandleBase {
  RequestHandle() : HandleBase(Kind::Request) {}
  ~RequestHandle() override { EndTransfer(); }

  Session session;
  std::string host;
  INTERNET_PORT port = INTERNET_DEFAULT_HTTP_PORT;
  std::string verb;
  std::string object;
  DWORD flags = 0;

  // The exchange, rebuilt by every send and every redirect hop.
  CURLM* multi = nullptr;
  CURL* easy = nullptr;
  curl_slist* curlHeaders = nullptr;
  std::string url;
  std::string requestTarget;  // the object as given, for the first hop; "" lets curl write it
  std::string target;         // what the request line carries, when it is ours
  std::string body;       // curl reads it in place: it must outlive the hop
  bool transferDone = false;
  CURLcode transferResult = CURLE_OK;

  // What the bounds of one hop have counted so far.
  std::size_t headerBytes = 0;  // interim answers and trailers included
  std::size_t received = 0;     // header and body bytes taken
  bool windowOpen = false;      // the slow-transfer window, from the first byte on
  std::size_t windowStartBytes = 0;
  std::chrono::steady_clock::duration windowDriven{};
  DWORD failure = 0;  // set where one of our own bounds ended the hop

  // The answer being received and the final one.
  std::string lines;       // header lines of the answer now arriving, CR LF each
  bool headersComplete = false;
  long status = 0;
  std::string finalHeaders;  // set once the send has its final answer
  bool sendSucceeded = false;

  // Body bytes received but not yet read. Past kPendingLimit the transfer is
  // paused until the reader has caught up, so this stays small however large
  // the body is.
  std::string pending;
  std::size_t pendingStart = 0;
  bool paused = false;

  void EndTransfer() {
    if (easy != nullptr) {
      if (multi != nullptr) curl.multi_remove_handle(multi, easy);
      curl.easy_cleanup(easy);
      easy = nullptr;
    }
    if (multi != nullptr) {
      curl.multi_cleanup(multi);
      multi = nullptr;
    }
    if (curlHeaders != nullptr) curl.slist_free_all(curlHeaders);
    curlHeaders = nullptr;
  }
};

std::mutex gHandlesMutex;
std::unordered_set<HandleBase*> gHandles;

template <class T>
T* Register(T* handle) {
  std::lock_guard<std::mutex> lock(gHandlesMutex);
  gHandles.insert(handle);
  return handle;
}

// A live handle of the kind asked for, or null with the last error set.
template <class T>
T* Lookup(HINTERNET h, Kind kind) {
  std::lock_guard<std::mutex> lock(gHandlesMutex);
  auto* base = static_cast<HandleBase*>(h);
  if (h == nullptr || gHandles.count(base) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (base->kind != kind) {
    SetLastError(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
    return nullptr;
  }
  return static_cast<T*>(base);
}

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// ---- settings and process-wide state ----------------------------------------------

constexpr long kConnectMilliseconds = 60'000;
constexpr long kIdleMilliseconds = 30'000;
constexpr int kMaxRedirects = 30;
constexpr std::size_t kPendingLimit = 256 * 1024;

// Real answers carry a few KiB of header lines; a server that sends more than
// this, before the body or as trailers after a chunked one, is not answering
// but filling our memory (curl keeps every line it passes on).
constexpr std::size_t kHeaderLimit = 4 * 1024 * 1024;

// The idle time-out only sees silence, so a server that sends a byte or two
// every second keeps an exchange, and the window waiting on it, alive for
// ever. Hence a floor under the rate as well: once the first byte has come,
// every window of 60 s must move at least 16 KiB (about 270 bytes a second),
// or the exchange ends as a time-out. A slow real link moves tens of KiB a
// second, a hundred times the floor; a trickle is caught at the end of the
// first window it fills, so within two windows of its start. Only the time
// spent driving the transfer counts, not the time a caller takes between
// reads.
constexpr long kSlowWindowMilliseconds = 60'000;
constexpr long kSlowMinimumBytes = 16 * 1024;

long gConnectMilliseconds = kConnectMilliseconds;
long gIdleMilliseconds = kIdleMilliseconds;
long gSlowWindowMilliseconds = kSlowWindowMilliseconds;
long gSlowMinimumBytes = kSlowMinimumBytes;

// ---- checks -----------------------------------------------------------------------

bool HasControlByte(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) {
    auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7F;
  });
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

// A name that can stand in an address as it is: letters, digits, "-", "."
// and "_", or an IPv6 address in brackets. Anything else could not be
// resolved on the platform either, and would change the address's meaning.
// Names under "invalid." never resolve (RFC 6761), so they are refused here
// rather than asked of a name server.
bool IsHostName(std::string_view host) {
  while (!host.empty() && host.back() == '.') host.remove_suffix(1);
  if (host.empty()) return false;
  std::string_view last = host.substr(host.rfind('.') == std::string_view::npos ? 0 : host.rfind('.') + 1);
  if (EqualsIgnoreCase(last, "invalid")) return false;
  if (host.front() == '[') {
    return host.size() > 2 && host.back() == ']' &&
           std::all_of(host.begin() + 1, host.end() - 1, [](char c) {
             return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
           });
  }
  return std::all_of(host.begin(), host.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
  });
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The proxy for a scheme from a list in the platform's form: entries apart by
// spaces or ";", each "scheme=server" or a bare server for every scheme.
// "http=" with no server names none.
std::string ProxyFor(std::string_view list, std::string_view scheme) {
  std::string bare;
  std::size_t i = 0;
  while (i < list.size()) {
    std::size_t end = list.find_first_of(" ;", i);
    if (end == std::string_view::npos) end = list.size();
    std::string_view entry = list.substr(i, end - i);
    i = end + 1;
    if (entry.empty()) continue;
    std::size_t eq = entry.find('=');
    if (eq == std::string_view::npos) {
      if (bare.empty()) bare = std::string(entry);
    } else if (EqualsIgnoreCase(entry.substr(0, eq), scheme)) {
      return std::string(entry.substr(eq + 1));
    }
  }
  return bare;
}

// ---- header text ----------------------------------------------------------------

// Lines apart by CR, LF or CR LF; empty lines skipped; a later line of a name
// takes the place of the earlier one. Lines without a colon are not headers.
std::vector<HeaderLine> SplitHeaderText(std::string_view text) {
  std::vector<HeaderLine> lines;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t end = text.find_first_of("\r\n", i);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(i, end - i);
    i = end + 1;
    if (end < text.size() && text[end] == '\r' && i < text.size() && text[i] == '\n') ++i;
    std::size_t colon = line.find(':');
    if (Trim(line).empty() || colon == std::string_view::npos) continue;
    HeaderLine header{std::string(Trim(line.substr(0, colon))), std::string(line)};
    auto same = std::find_if(lines.begin(), lines.end(),
                             [&](const HeaderLine& h) { return EqualsIgnoreCase(h.name, header.name); });
    if (same != lines.end()) {
      *same = std::move(header);
    } else {
      lines.push_back(std::move(header));
    }
  }
  return lines;
}

bool HasHeader(const std::vector<HeaderLine>& lines, std::string_view name) {
  return std::any_of(lines.begin(), lines.end(), [&](const HeaderLine& h) { return EqualsIgnoreCase(h.name, name); });
}

// The caller's lines as curl takes them, plus the removal of what curl would
// add on its own. The body's length is always ours to state.
curl_slist* CurlHeaderList(const std::vector<HeaderLine>& lines) {
  curl_slist* list = nullptr;
  for (const HeaderLine& h : lines) {
    if (EqualsIgnoreCase(h.name, "Content-Length") || EqualsIgnoreCase(h.name, "Transfer-Encoding")) continue;
    std::string_view value = Trim(std::string_view(h.line).substr(h.line.find(':') + 1));
    // curl reads "Name:" as "remove Name"; "Name;" is how it sends an empty value.
    std::string line = value.empty() ? h.name + ";" : h.line;
    list = curl.slist_append(list, line.c_str());
  }
  for (const char* own : {"Accept", "Expect", "Content-Type", "Proxy-Connection"}) {
    if (!HasHeader(lines, own)) list = curl.slist_append(list, (std::string(own) + ":").c_str());
  }
  return list;
}

// ---- exchange -------------------------------------------------------------------

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* r = static_cast<RequestHandle*>(user);
  std::string_view line(data, size * count);
  r->headerBytes += line.size();
  if (r->headerBytes > kHeaderLimit) {
    r->failure = ERROR_HTTP_INVALID_SERVER_RESPONSE;
    return 0;  // curl ends the transfer with an error
  }
  r->received += line.size();
  if (r->headersComplete) return size * count;  // trailers of a chunked body
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.substr(0, 5) == "HTTP/") {
    r->lines.clear();
    long code = 0;
    std::size_t space = line.find(' ');
    if (space != std::string_view::npos) code = std::strtol(std::string(line.substr(space + 1, 3)).c_str(), nullptr, 10);
    r->status = code;
  }
  if (line.empty()) {
    if (r->status >= 200 || r->status < 100) r->headersComplete = true;  // 1xx answers are not the answer
    return size * count;
  }
  r->lines.append(line);
  r->lines.append("\r\n");
  return size * count;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* r = static_cast<RequestHandle*>(user);
  if (r->pendingStart == r->pending.size()) {
    r->pending.clear();
    r->pendingStart = 0;
  }
  if (r->pending.size() - r->pendingStart >= kPendingLimit) {
    r->paused = true;  // curl keeps this piece and hands it over again on resuming
    return CURL_WRITEFUNC_PAUSE;
  }
  r->pending.append(data, size * count);
  r->received += size * count;
  return size * count;
}

std::string SchemeOf(std::string_view url) { return std::string(url.substr(0, url.find(':'))); }

bool StartTransfer(RequestHandle& r, const std::vector<HeaderLine>& lines, bool sendBody) {
  r.EndTransfer();
  r.curlHeaders = CurlHeaderList(lines);
  r.lines.clear();
  r.headersComplete = false;
  r.status = 0;
  r.transferDone = false;
  r.transferResult = CURLE_OK;
  r.headerBytes = 0;
  r.received = 0;
  r.windowOpen = false;
  r.windowStartBytes = 0;
  r.windowDriven = {};
  r.failure = 0;
  r.pending.clear();
  r.pendingStart = 0;
  r.paused = false;

  r.multi = curl.multi_init();
  r.easy = curl.easy_init();
  if (r.multi == nullptr || r.easy == nullptr) return false;
  CURL* e = r.easy;
  curl.easy_setopt(e, CURLOPT_URL, r.url.c_str());
  curl.easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl.easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl.easy_setopt(e, CURLOPT_PATH_AS_IS, 1L);
  curl.easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
  curl.easy_setopt(e, CURLOPT_HTTP_CONTENT_DECODING, 0L);
  curl.easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl.easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
  curl.easy_setopt(e, CURLOPT_BUFFERSIZE, 128L * 1024);
  curl.easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, gConnectMilliseconds);
  curl.easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl.easy_setopt(e, CURLOPT_LOW_SPEED_TIME, (gIdleMilliseconds + 999) / 1000);
  curl.easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  curl.easy_setopt(e, CURLOPT_HEADERFUNCTION, OnHeader);
  curl.easy_setopt(e, CURLOPT_HEADERDATA, &r);
  curl.easy_setopt(e, CURLOPT_WRITEFUNCTION, OnBody);
  curl.easy_setopt(e, CURLOPT_WRITEDATA, &r);

  if (const char* bundle = std::getenv("SSL_CERT_FILE"); bundle != nullptr && *bundle != '\0') {
    curl.easy_setopt(e, CURLOPT_CAINFO, bundle);
  }
  if (const char* dir = std::getenv("SSL_CERT_DIR"); dir != nullptr && *dir != '\0') {
    curl.easy_setopt(e, CURLOPT_CAPATH, dir);
  }

  std::string scheme = SchemeOf(r.url);
  std::string proxy;
  if (r.session.accessType == INTERNET_OPEN_TYPE_PRECONFIG) {
    // the environment's proxy settings, as curl reads them
  } else {
    proxy = r.session.accessType == INTERNET_OPEN_TYPE_PROXY ? ProxyFor(r.session.proxyList, scheme) : std::string();
    if (!proxy.empty() && proxy.find("://") == std::string::npos) proxy = "http://" + proxy;
    curl.easy_setopt(e, CURLOPT_PROXY, proxy.c_str());  // "" turns every proxy off
    std::string bypass = r.session.bypassList;
    std::replace(bypass.begin(), bypass.end(), ';', ',');
    std::replace(bypass.begin(), bypass.end(), ' ', ',');
    curl.easy_setopt(e, CURLOPT_NOPROXY, bypass.c_str());
  }

  // curl would percent-encode bytes above 0x7F in the path; the platform sends
  // the object's bytes as they are. Through a proxy the target is absolute.
  if (!r.requestTarget.empty()) {
    r.target = (scheme == "http" && !proxy.empty())
                   ? "http://" + r.host + ":" + std::to_string(r.port) + r.requestTarget
                   : r.requestTarget;
    curl.easy_setopt(e, CURLOPT_REQUEST_TARGET, r.target.c_str());
  }

  if ((r.flags & INTERNET_FLAG_NO_COOKIES) == 0) {
    curl.easy_setopt(e, CURLOPT_SHARE, gCookieStore);
    curl.easy_setopt(e, CURLOPT_COOKIEFILE, "");  // the engine on, reading no file
  }

  if (r.verb == "HEAD") {
    curl.easy_setopt(e, CURLOPT_NOBODY, 1L);
  } else if (r.verb == "GET" && (!sendBody || r.body.empty())) {
    curl.easy_setopt(e, CURLOPT_HTTPGET, 1L);
  } else {
    curl.easy_setopt(e, CURLOPT_POST, 1L);
    curl.easy_setopt(e, CURLOPT_POSTFIELDS, sendBody ? r.body.data() : "");
    curl.easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(sendBody ? r.body.size() : 0));
    if (r.verb != "POST") curl.easy_setopt(e, CURLOPT_CUSTOMREQUEST, r.verb.c_str());
  }
  curl.easy_setopt(e, CURLOPT_HTTPHEADER, r.curlHeaders);
  return curl.multi_add_handle(r.multi, e) == CURLM_OK;
}

// True once a full window of driving has moved fewer bytes than the floor;
// `driven` is the time just spent driving.
bool TooSlow(RequestHandle& r, std::chrono::steady_clock::duration driven) {
  curl_off_t uploaded = 0;
  curl.easy_getinfo(r.easy, CURLINFO_SIZE_UPLOAD_T, &uploaded);
  std::size_t moved = r.received + static_cast<std::size_t>(uploaded);
  if (moved == 0) return false;  // before the first byte the other time-outs rule
  if (!r.windowOpen) {
    r.windowOpen = true;
    return false;
  }
  r.windowDriven += driven;
  if (r.windowDriven < std::chrono::milliseconds(gSlowWindowMilliseconds)) return false;
  if (moved - r.windowStartBytes < static_cast<std::size_t>(gSlowMinimumBytes)) return true;
  r.windowStartBytes = moved;
  r.windowDriven = {};
  return false;
}

// Drives the transfer until `ready` holds or the transfer ends. curl is only
// ever driven from here, on the caller's thread.
template <class Ready>
void Drive(RequestHandle& r, Ready ready) {
  while (!r.transferDone && !r.paused && !ready()) {
    auto start = std::chrono::steady_clock::now();
    int running = 0;
    if (curl.multi_perform(r.multi, &running) != CURLM_OK) {
      r.transferDone = true;
      r.transferResult = CURLE_FAILED_INIT;
      break;
    }
    int left = 0;
    while (CURLMsg* msg = curl.multi_info_read(r.multi, &left)) {
      if (msg->msg == CURLMSG_DONE) {
        r.transferDone = true;
        r.transferResult = msg->data.result;
      }
    }
    if (r.transferDone || r.paused || ready()) break;
    curl.multi_poll(r.multi, nullptr, 0, 1000, nullptr);
    if (TooSlow(r, std::chrono::steady_clock::now() - start)) {
      r.transferDone = true;
      r.transferResult = CURLE_OPERATION_TIMEDOUT;
      r.failure = ERROR_INTERNET_TIMEOUT;
    }
  }
}

std::string HeaderValueOf(std::string_view lines, std::string_view name) {
  std::string value;
  std::size_t i = 0;
  while (i < lines.size()) {
    std::size_t end = lines.find("\r\n", i);
    if (end == std::string_view::npos) end = lines.size();
    std::string_view line = lines.substr(i, end - i);
    i = end + 2;
    std::size_t colon = line.find(':');
    if (colon != std::string_view::npos && EqualsIgnoreCase(Trim(line.substr(0, colon)), name)) {
      value = std::string(Trim(line.substr(colon + 1)));
    }
  }
  return value;
}

// The address a Location leads to from `current`, or "" when it is not to
// be followed (no address, or another scheme than http and https).
std::string RedirectTarget(const std::string& current, const std::string& location) {
  if (location.empty()) return {};
  std::string target;
  CURLU* u = curl.url();
  char* next = nullptr;
  char* scheme = nullptr;
  if (curl.url_set(u, CURLUPART_URL, current.c_str(), CURLU_PATH_AS_IS) == CURLUE_OK &&
      curl.url_set(u, CURLUPART_URL, location.c_str(),
                   CURLU_NON_SUPPORT_SCHEME | CURLU_URLENCODE | CURLU_ALLOW_SPACE) == CURLUE_OK &&
      curl.url_get(u, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
      (std::strcmp(scheme, "http") == 0 || std::strcmp(scheme, "https") == 0) &&
      curl.url_get(u, CURLUPART_URL, &next, 0) == CURLUE_OK) {
    target = next;
  }
  curl.free(next);
  curl.free(scheme);
  curl.url_cleanup(u);
  return target;
}

// scheme://host:port of an address, for telling a redirect to another site.
std::string Origin(const std::string& url) {
  CURLU* u = curl.url();
  std::string origin;
  char *scheme = nullptr, *host = nullptr, *port = nullptr;
  if (curl.url_set(u, CURLUPART_URL, url.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK &&
      curl.url_get(u, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
      curl.url_get(u, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
      curl.url_get(u, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
    origin = std::string(scheme) + "://" + host + ":" + port;
  }
  curl.free(scheme);
  curl.free(host);
  curl.free(port);
  curl.url_cleanup(u);
  return origin;
}

bool IsRedirect(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// ---- failures --------------------------------------------------------------------

// OpenSSL's verification results that tell the certificate's fault. curl
// checks the name itself before it stores the chain's result, so a refused
// peer whose result is still OK, or still curl's "not yet judged"
// (X509_V_ERR_UNSPECIFIED), was refused for its name.
constexpr long kCertChainGood = 0;
constexpr long kCertNotJudged = 1;
constexpr long kCertNotYetValid = 9;
constexpr long kCertHasExpired = 10;

// Why the hop failed, in the platform's terms. Read before the transfer
// is ended: curl forgets the socket's errno and the certificate's result.
DWORD ErrorOf(RequestHandle& r) {
  if (r.failure != 0) return r.failure;
  long socketError = 0;
  long certificate = 0;
  if (r.easy != nullptr) {
    curl.easy_getinfo(r.easy, CURLINFO_OS_ERRNO, &socketError);
    curl.easy_getinfo(r.easy, CURLINFO_SSL_VERIFYRESULT, &certificate);
  }
  switch (r.transferResult) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return ERROR_INTERNET_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT:
      return socketError == ETIMEDOUT ? ERROR_INTERNET_TIMEOUT : ERROR_INTERNET_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT:
      return ERROR_INTERNET_TIMEOUT;
    case CURLE_URL_MALFORMAT:
      return ERROR_INTERNET_INVALID_URL;
    case CURLE_PEER_FAILED_VERIFICATION:
      if (certificate == kCertChainGood || certificate == kCertNotJudged) return ERROR_INTERNET_SEC_CERT_CN_INVALID;
      if (certificate == kCertNotYetValid || certificate == kCertHasExpired) {
        return ERROR_INTERNET_SEC_CERT_DATE_INVALID;
      }
      return ERROR_INTERNET_INVALID_CA;  // the issuer is not one the system trusts
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_USE_SSL_FAILED:
      return ERROR_INTERNET_SECURE_FAILURE;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
      if (socketError == ECONNRESET || socketError == EPIPE) return ERROR_INTERNET_CONNECTION_RESET;
      // No socket error behind it: curl turned down what the server sent
      // (its own bound on header bytes, for one).
      return socketError == 0 ? ERROR_HTTP_INVALID_SERVER_RESPONSE : ERROR_INTERNET_CONNECTION_ABORTED;
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_UNSUPPORTED_PROTOCOL:  // what came was not HTTP/1.x
    case CURLE_BAD_CONTENT_ENCODING:
    case CURLE_OUT_OF_MEMORY:  // how curl refuses a single header line past its bound
    case CURLE_OK:             // ended without a whole answer
      return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    default:
      return ERROR_INTERNET_CONNECTION_ABORTED;  // the body ended short, and the like
  }
}

// The final answer's status line: "HTTP/1.1 404 Not Found" gives "404" and
// "Not Found"; a line without a reason gives "".
std::string_view StatusLine(std::string_view headers) { return headers.substr(0, headers.find("\r\n")); }

std::string_view StatusCodeText(std::string_view headers) {
  std::string_view line = StatusLine(headers);
  std::size_t start = line.find(' ');
  if (start == std::string_view::npos) return {};
  line.remove_prefix(start + 1);
  return line.substr(0, line.find(' '));
}

std::string_view StatusReason(std::string_view headers) {
  std::string_view line = StatusLine(headers);
  std::size_t first = line.find(' ');
  std::size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
  return second == std::string_view::npos ? std::string_view() : line.substr(second + 1);
}

// A header value as the platform's DWORD: decimal digits only, below 2^32.
bool ParseNumber(std::string_view text, DWORD& number) {
  if (text.empty() || text.size() > 10 || !std::all_of(text.begin(), text.end(), [](char c) {
        return c >= '0' && c <= '9';
      })) {
    return false;
  }
  unsigned long long value = std::strtoull(std::string(text).c_str(), nullptr, 10);
  if (value > 0xFFFFFFFFull) return false;
  number = static_cast<DWORD>(value);
  return true;
}

}  // namespace

// ---- the seven operations -------------------------------------------------------

HINTERNET InternetOpenA(LPCSTR lpszAgent, DWORD dwAccessType, LPCSTR lpszProxy, LPCSTR lpszProxyBypass,
                        DWORD /*dwFlags*/) {
  BindCurl();  // curl's global start, once, before any handle exists; a failure shows at the send
  auto* h = new InternetHandle;
  h->session.agent = lpszAgent != nullptr ? lpszAgent : "";
  h->session.accessType = dwAccessType;
  if (dwAccessType == INTERNET_OPEN_TYPE_PROXY) {
    h->session.proxyList = lpszProxy != nullptr ? lpszProxy : "";
    h->session.bypassList = lpszProxyBypass != nullptr ? lpszProxyBypass : "";
  }
  return Register(h);
}

HINTERNET InternetConnectA(HINTERNET hInternet, LPCSTR lpszServerName, INTERNET_PORT nServerPort,
                           LPCSTR /*lpszUserName*/, LPCSTR /*lpszPassword*/, DWORD dwService, DWORD /*dwFlags*/,
                           DWORD_PTR /*dwContext*/) {
  auto* internet = Lookup<InternetHandle>(hInternet, Kind::Internet);
  if (internet == nullptr) return nullptr;
  if (dwService != INTERNET_SERVICE_HTTP) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (lpszServerName == nullptr || *lpszServerName == '\0' || HasControlByte(lpszServerName)) {
    SetLastError(ERROR_INTERNET_INVALID_URL);
    return nullptr;
  }
  auto* h = new ConnectionHandle;
  h->session = internet->session;
  h->host = lpszServerName;
  h->port = nServerPort == INTERNET_INVALID_PORT_NUMBER ? INTERNET_DEFAULT_HTTP_PORT : nServerPort;
  return Register(h);
}

HINTERNET HttpOpenRequestA(HINTERNET hConnect, LPCSTR lpszVerb, LPCSTR lpszObjectName, LPCSTR /*lpszVersion*/,
                           LPCSTR /*lpszReferrer*/, LPCSTR* /*lplpszAcceptTypes*/, DWORD dwFlags,
                           DWORD_PTR /*dwContext*/) {
  auto* connection = Lookup<ConnectionHandle>(hConnect, Kind::Connection);
  if (connection == nullptr) return nullptr;
  std::string verb = (lpszVerb == nullptr || *lpszVerb == '\0') ? "GET" : lpszVerb;
  std::string_view object = lpszObjectName != nullptr ? lpszObjectName : "";
  // A control byte in the address would end the request line early and let
  // whoever chose the address write lines of their own.
  if (HasControlByte(object) || HasControlByte(verb) || verb.find(' ') != std::string::npos) {
    SetLastError(ERROR_INTERNET_INVALID_URL);
    return nullptr;
  }

  auto* h = new RequestHandle;
  h->session = connection->session;
  h->host = connection->host;
  h->port = connection->port;
  h->verb = verb;
  h->flags = dwFlags;
  if (object.empty() || object.front() != '/') h->object = "/";
  for (char c : object) {
    if (c == ' ') {
      h->object += "%20";
    } else {
      h->object += c;
    }
  }
  return Register(h);
}

BOOL HttpSendRequestA(HINTERNET hRequest, LPCSTR lpszHeaders, DWORD dwHeadersLength, LPVOID lpOptional,
                      DWORD dwOptionalLength) {
  auto* r = Lookup<RequestHandle>(hRequest, Kind::Request);
  if (r == nullptr) return FALSE;
  r->EndTransfer();
  r->sendSucceeded = false;
  r->finalHeaders.clear();

  std::string_view headerText;
  if (lpszHeaders != nullptr) {
    headerText = dwHeadersLength == static_cast<DWORD>(-1) ? std::string_view(lpszHeaders)
                                                             : std::string_view(lpszHeaders, dwHeadersLength);
  }
  std::vector<HeaderLine> lines = SplitHeaderText(headerText);
  if (!HasHeader(lines, "User-Agent") && !r->session.agent.empty()) {
    lines.insert(lines.begin(), HeaderLine{"User-Agent", "User-Agent: " + r->session.agent});
  }
  r->body.assign(lpOptional != nullptr ? static_cast<const char*>(lpOptional) : "",
                 lpOptional != nullptr ? dwOptionalLength : 0);
  bool sendBody = true;

  if (!IsHostName(r->host)) {
    r->transferDone = true;  // a name the platform could not resolve either
    return Fail(ERROR_INTERNET_NAME_NOT_RESOLVED);
  }
  if (!BindCurl()) {
    r->transferDone = true;
    return Fail(ERROR_INTERNET_INTERNAL_ERROR);
  }
  bool secure = (r->flags & INTERNET_FLAG_SECURE) != 0;
  // A fragment belongs to the reader of a page and never goes on the wire.
  r->requestTarget = r->object.substr(0, r->object.find('#'));
  r->url = std::string(secure ? "https://" : "http://") + r->host + ":" + std::to_string(r->port) +
           r->requestTarget;
  std::string origin = Origin(r->url);

  for (int redirects = 0;; ++redirects) {
    if (!StartTransfer(*r, lines, sendBody)) {
      r->EndTransfer();
      r->transferDone = true;
      return Fail(ERROR_INTERNET_INTERNAL_ERROR);
    }
    Drive(*r, [r] { return r->headersComplete; });
    if (!r->headersComplete) {
      DWORD error = ErrorOf(*r);
      r->EndTransfer();
      r->transferDone = true;
      return Fail(error);
    }
    bool follow = (r->flags & INTERNET_FLAG_NO_AUTO_REDIRECT) == 0 && IsRedirect(r->status) &&
                  redirects < kMaxRedirects;
    std::string target = follow ? RedirectTarget(r->url, HeaderValueOf(r->lines, "Location")) : std::string();
    if (target.empty()) break;

    if (r->status == 303 || ((r->status == 301 || r->status == 302) && r->verb == "POST")) {
      if (r->verb != "HEAD") r->verb = "GET";
      sendBody = false;
    }
    r->url = target;
    r->requestTarget.clear();
    // The caller's credentials were meant for the site that was asked.
    if (std::string next = Origin(target); next != origin) {
      origin = next;
      std::erase_if(lines, [](const HeaderLine& h) {
        return EqualsIgnoreCase(h.name, "Cookie") || EqualsIgnoreCase(h.name, "Authorization");
      });
    }
  }
  r->finalHeaders = r->lines + "\r\n";
  r->sendSucceeded = true;
  return TRUE;
}

BOOL InternetReadFile(HINTERNET hFile, LPVOID lpBuffer, DWORD dwNumberOfBytesToRead,
                      LPDWORD lpdwNumberOfBytesRead) {
  if (lpdwNumberOfBytesRead != nullptr) *lpdwNumberOfBytesRead = 0;
  auto* r = Lookup<RequestHandle>(hFile, Kind::Request);
  if (r == nullptr) return FALSE;
  if (lpdwNumberOfBytesRead == nullptr || (lpBuffer == nullptr && dwNumberOfBytesToRead > 0)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (!r->sendSucceeded) return TRUE;  // nothing came, so nothing is left to read
  if (r->pendingStart == r->pending.size() && r->multi != nullptr) {
    if (r->paused) {
      r->paused = false;
      curl.easy_pause(r->easy, CURLPAUSE_CONT);  // may hand over bytes at once
    }
    Drive(*r, [r] { return r->pendingStart < r->pending.size(); });
  }
  std::size_t available = r->pending.size() - r->pendingStart;
  if (available == 0) {
    bool broken = r->transferDone && r->transferResult != CURLE_OK;
    DWORD error = broken ? ErrorOf(*r) : 0;
    r->EndTransfer();
    return broken ? Fail(error) : TRUE;
  }
  std::size_t n = std::min<std::size_t>(available, dwNumberOfBytesToRead);
  std::memcpy(lpBuffer, r->pending.data() + r->pendingStart, n);
  r->pendingStart += n;
  *lpdwNumberOfBytesRead = static_cast<DWORD>(n);
  return TRUE;
}

BOOL HttpQueryInfoA(HINTERNET hRequest, DWORD dwInfoLevel, LPVOID lpBuffer, LPDWORD lpdwBufferLength,
                    LPDWORD /*lpdwIndex*/) {
  auto* r = Lookup<RequestHandle>(hRequest, Kind::Request);
  if (r == nullptr) return FALSE;
  if (lpdwBufferLength == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  if (!r->sendSucceeded) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);

  bool asNumber = (dwInfoLevel & HTTP_QUERY_FLAG_NUMBER) != 0;
  std::string value;
  switch (dwInfoLevel & ~HTTP_QUERY_FLAG_NUMBER) {
    case HTTP_QUERY_RAW_HEADERS_CRLF:
      if (asNumber) return Fail(ERROR_INVALID_PARAMETER);
      value = r->finalHeaders;
      break;
    case HTTP_QUERY_CONTENT_LENGTH:
      value = HeaderValueOf(r->finalHeaders, "Content-Length");
      break;
    case HTTP_QUERY_STATUS_CODE:
      value = StatusCodeText(r->finalHeaders);
      break;
    case HTTP_QUERY_STATUS_TEXT:
      value = StatusReason(r->finalHeaders);
      if (asNumber) return Fail(ERROR_INVALID_PARAMETER);
      break;
    default:
      return Fail(ERROR_INVALID_PARAMETER);
  }
  if (value.empty() && (dwInfoLevel & ~HTTP_QUERY_FLAG_NUMBER) == HTTP_QUERY_CONTENT_LENGTH) {
    return Fail(ERROR_HTTP_HEADER_NOT_FOUND);
  }

  if (asNumber) {
    DWORD number = 0;
    if (!ParseNumber(value, number)) return Fail(ERROR_HTTP_HEADER_NOT_FOUND);
    if (lpBuffer == nullptr || *lpdwBufferLength < sizeof number) {
      *lpdwBufferLength = sizeof number;
      return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(lpBuffer, &number, sizeof number);
    *lpdwBufferLength = sizeof number;
    return TRUE;
  }
  std::size_t needed = value.size() + 1;
  if (lpBuffer == nullptr || *lpdwBufferLength < needed) {
    *lpdwBufferLength = static_cast<DWORD>(needed);
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(lpBuffer, value.c_str(), needed);
  *lpdwBufferLength = static_cast<DWORD>(needed - 1);
  return TRUE;
}

BOOL InternetCloseHandle(HINTERNET hInternet) {
  auto* base = static_cast<HandleBase*>(hInternet);
  {
    std::lock_guard<std::mutex> lock(gHandlesMutex);
    if (hInternet == nullptr || gHandles.erase(base) == 0) return Fail(ERROR_INVALID_HANDLE);
  }
  delete base;
  return TRUE;
}

// ---- test knobs -----------------------------------------------------------------

void SetInternetTimeoutsForTesting(long connectMilliseconds, long idleMilliseconds) {
  gConnectMilliseconds = connectMilliseconds > 0 ? connectMilliseconds : kConnectMilliseconds;
  gIdleMilliseconds = idleMilliseconds > 0 ? idleMilliseconds : kIdleMilliseconds;
}

void SetInternetSlowTransferBoundForTesting(long windowMilliseconds, long minimumBytes) {
  bool platform = windowMilliseconds <= 0 || minimumBytes <= 0;
  gSlowWindowMilliseconds = platform ? kSlowWindowMilliseconds : windowMilliseconds;
  gSlowMinimumBytes = platform ? kSlowMinimumBytes : minimumBytes;
}

void ClearInternetCookiesForTesting() {
  if (!BindCurl()) return;
  CURL* e = curl.easy_init();
  curl.easy_setopt(e, CURLOPT_SHARE, gCookieStore);
  curl.easy_setopt(e, CURLOPT_COOKIELIST, "ALL");
  curl.easy_cleanup(e);
}

void SetInternetLibraryForTesting(const char* soname) {
  std::lock_guard<std::mutex> lock(gCurlMutex);
  gCurlLibrary = soname != nullptr ? soname : kCurlLibrary;
  gCurlTried = false;
  gCurlBound = false;
}
