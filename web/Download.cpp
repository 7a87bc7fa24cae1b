// Fetching a file into a folder.
//
//   names       numbered names, wide paths for the platform's file calls
//   answer      what the final answer's header block says: status, length, range
//   exchange    one GET through WinINet, with or without a Range line
//   download    the part, the resume decision, the stream, the final name
#include "web/Download.h"

#include <charconv>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Files.h"
#include "platform/WinINet.h"
#include "text/CodePageText.h"
#include "web/Url.h"
#include "web/WebAccess.h"

namespace {

// Large enough that a fast local link is not held up by the number of calls,
// small enough that memory stays flat.
constexpr DWORD kPiece = 256 * 1024;

// Beyond this many numbered names something else is wrong with the folder.
constexpr int kMaxNumber = 9999;

// ---- names ------------------------------------------------------------------

Bytes Wide(const Text& path) { return ToWide(path, 936); }
LPCWSTR W(const Bytes& wide) { return reinterpret_cast<LPCWSTR>(wide.data()); }

bool Exists(const Text& path) { return GetFileAttributesW(W(Wide(path))) != INVALID_FILE_ATTRIBUTES; }

std::int64_t SizeOf(const Text& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(W(Wide(path)), GetFileExInfoStandard, &data)) return -1;
  return static_cast<std::int64_t>((static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

Text InFolder(const Text& folder, const Text& name) {
  std::string_view f = folder.view();
  if (f.empty()) return name;
  if (f.back() == '/' || f.back() == '\\') return ConcatText(f, name);
  return ConcatText(f, "/", name);
}

// The first numbered name from `from` on with no file of that name.
int FreeNumber(const Text& folder, const Text& fileName, int from) {
  for (int n = from; n <= kMaxNumber; ++n) {
    if (!Exists(InFolder(folder, NumberedFileName(fileName, n)))) return n;
  }
  return -1;
}

// ---- answer -----------------------------------------------------------------

struct Answer {
  int status = 0;
  std::string statusText;     // "404 Not Found"
  std::int64_t length = -1;   // Content-Length
  std::int64_t rangeStart = -1, rangeTotal = -1;  // Content-Range: bytes start-end/total
};

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// A whole non-negative decimal number, or -1.
std::int64_t Number(std::string_view s) {
  std::int64_t value = -1;
  auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  return (error == std::errc() && end == s.data() + s.size() && !s.empty() && value >= 0) ? value : -1;
}

Answer ReadAnswer(std::string_view block) {
  Answer answer;
  std::size_t lineEnd = block.find("\r\n");
  std::string_view statusLine = block.substr(0, lineEnd);
  if (std::size_t space = statusLine.find(' '); space != std::string_view::npos) {
    answer.statusText = std::string(Trim(statusLine.substr(space + 1)));
    answer.status = static_cast<int>(Number(std::string_view(answer.statusText).substr(0, 3)));
  }
  while (lineEnd != std::string_view::npos) {
    std::size_t start = lineEnd + 2;
    lineEnd = block.find("\r\n", start);
    std::string_view line = block.substr(start, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - start);
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view name = Trim(line.substr(0, colon));
    std::string_view value = Trim(line.substr(colon + 1));
    if (EqualsIgnoreCase(name, "Content-Length")) {
      answer.length = Number(value);
    } else if (EqualsIgnoreCase(name, "Content-Range") && value.substr(0, 6) == "bytes ") {
      std::string_view range = value.substr(6);
      std::size_t dash = range.find('-'), slash = range.find('/');
      if (dash != std::string_view::npos && slash != std::string_view::npos && dash < slash) {
        answer.rangeStart = Number(range.substr(0, dash));
        answer.rangeTotal = Number(range.substr(slash + 1));
      } else if (slash != std::string_view::npos) {
        answer.rangeTotal = Number(range.substr(slash + 1));  // "bytes */total" of a 416
      }
    }
  }
  return answer;
}

// ---- exchange -----------------------------------------------------------------

struct InternetCloser {
  void operator()(void* handle) const { InternetCloseHandle(handle); }
};
using Internet = std::unique_ptr<void, InternetCloser>;

struct Exchange {
  Internet internet, connection, request;
  Answer answer;
  Text failure;  // why no answer came
};

Exchange Ask(const Text& link, std::int64_t from) {
  Exchange x;
  Text host = UrlHost(link);
  x.internet.reset(InternetOpenA(kDefaultAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (x.internet != nullptr) {
    x.connection.reset(InternetConnectA(x.internet.get(), host.c_str(), static_cast<INTERNET_PORT>(UrlPort(link)),
                                        nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
  }
  bool secure = CompareText(ToLowerText(LeftText(link, 5)), "https") == 0;
  DWORD flags = INTERNET_FLAG_RELOAD | (secure ? INTERNET_FLAG_SECURE : INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTPS);
  if (x.connection != nullptr) {
    x.request.reset(HttpOpenRequestA(x.connection.get(), "GET", UrlPath(link).c_str(), "HTTP/1.1", nullptr, nullptr,
                                     flags, 0));
  }
  if (x.request == nullptr) {
    x.failure = "the link is not an address that can be asked";
    return x;
  }
  std::string headers;
  for (const Text& line : DownloadHeaderLines(link)) headers.append(line.view()).append("\r\n");
  headers += "Accept: */*\r\n";
  if (from > 0) headers += "Range: bytes=" + std::to_string(from) + "-\r\n";
  if (!HttpSendRequestA(x.request.get(), headers.c_str(), static_cast<DWORD>(headers.size()), nullptr, 0)) {
    x.failure = ConcatText("no answer from ", host);
    return x;
  }
  DWORD size = 0;
  HttpQueryInfoA(x.request.get(), HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
  Bytes block = BlankBytes(static_cast<int>(size) + 1);
  DWORD length = static_cast<DWORD>(block.size());
  if (size == 0 || !HttpQueryInfoA(x.request.get(), HTTP_QUERY_RAW_HEADERS_CRLF, block.data(), &length, nullptr)) {
    x.failure = ConcatText("no answer from ", host);
    return x;
  }
  x.answer = ReadAnswer(std::string_view(block.data(), length));
  return x;
}

// ---- download -------------------------------------------------------------------

struct FileCloser {
  void operator()(void* handle) const { CloseHandle(handle); }
};
using File = std::unique_ptr<void, FileCloser>;

Text DiskFault(const Text& folder, const Text& part) {
  ULARGE_INTEGER free{};
  if (GetDiskFreeSpaceExW(W(Wide(folder.empty() ? Text(".") : folder)), &free, nullptr, nullptr) &&
      free.QuadPart < kPiece) {
    return "the disk is full";
  }
  return ConcatText("cannot write ", part);
}

}  // namespace

Text DownloadAgent() { return kDefaultAgent; }

TextList DownloadHeaderLines(const Text& link) {
  return TextList{ConcatText("User-Agent: ", kDefaultAgent), ConcatText("Referer: ", link)};
}

Text NumberedFileName(const Text& fileName, int n) {
  if (n <= 0) return fileName;
  std::string_view name = fileName.view();
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) dot = name.size();
  return ConcatText(name.substr(0, dot), " (", std::to_string(n), ")", name.substr(dot));
}

DownloadOutcome DownloadToFolder(const Text& link, const Text& folder, const Text& fileName,
                                 const DownloadProgress& progress) {
  DownloadOutcome outcome;
  Text shownFolder = folder.empty() ? Text(".") : folder;
  DWORD attributes = GetFileAttributesW(W(Wide(shownFolder)));
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    outcome.reason = ConcatText("the folder ", shownFolder, " does not exist");
    return outcome;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    outcome.reason = ConcatText(shownFolder, " is not a folder");
    return outcome;
  }
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    outcome.reason = ConcatText("cannot write in the folder ", shownFolder);
    return outcome;
  }
  int number = FreeNumber(folder, fileName, 0);
  if (number < 0) {
    outcome.reason = ConcatText("no free name for ", fileName, " in ", shownFolder);
    return outcome;
  }
  Text part = InFolder(folder, ConcatText(NumberedFileName(fileName, number), ".part"));
  std::int64_t have = SizeOf(part);
  if (have > 0) outcome.path = part;

  // At most two asks: for the rest, and, when that answer cannot be used, for all.
  Exchange x;
  std::int64_t from = have > 0 ? have : 0;
  for (int ask = 0; ask < 2; ++ask) {
    x = Ask(link, from);
    if (!x.failure.empty()) {
      outcome.bytes = have > 0 ? have : 0;
      outcome.reason = x.failure;
      return outcome;
    }
    const Answer& a = x.answer;
    if (from > 0 && (a.status == 416 || (a.status == 206 && a.rangeStart != from))) {
      if (a.status == 416 && a.rangeTotal == from) break;  // the part is already whole
      from = 0;
      continue;
    }
    break;
  }
  const Answer& a = x.answer;
  bool whole = from > 0 && a.status == 416;
  if (!whole && (a.status < 200 || a.status > 299 || (a.status == 206 && a.rangeStart != from))) {
    outcome.bytes = have > 0 ? have : 0;
    outcome.reason = a.status == 206 ? Text("the file host answered a range that was not asked for")
                                     : ConcatText("the file host answered ", a.statusText);
    return outcome;
  }
  bool resuming = whole || (a.status == 206 && from > 0);
  std::int64_t start = resuming ? from : 0;
  if (whole) {
    outcome.total = from;
  } else if (a.status == 206 && a.rangeTotal >= 0) {
    outcome.total = a.rangeTotal;
  } else if (a.length >= 0) {
    outcome.total = start + a.length;
  }

  File file(CreateFileW(W(Wide(part)), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    file.release();
    outcome.bytes = have > 0 ? have : 0;
    outcome.reason = Exists(part) ? ConcatText("cannot open ", part, " (is another download writing it?)")
                                  : ConcatText("cannot write in the folder ", shownFolder);
    return outcome;
  }
  outcome.path = part;
  LARGE_INTEGER position{};
  position.QuadPart = start;
  if (!SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN) || !SetEndOfFile(file.get())) {
    outcome.reason = DiskFault(folder, part);
    return outcome;
  }

  std::int64_t bytes = start;
  if (progress) progress(bytes, outcome.total, start);
  Bytes piece = BlankBytes(static_cast<int>(kPiece));
  while (!whole) {  // a 416's body is the server's words, not the file's
    DWORD got = 0;
    BOOL read = InternetReadFile(x.request.get(), piece.data(), kPiece, &got);
    if (got == 0) {
      if (!read) {
        outcome.reason = outcome.total >= 0 ? ConcatText("the connection broke off after ", std::to_string(bytes),
                                                         " of ", std::to_string(outcome.total), " bytes")
                                            : ConcatText("the connection broke off after ", std::to_string(bytes),
                                                         " bytes");
      }
      break;
    }
    DWORD written = 0;
    if (!WriteFile(file.get(), piece.data(), got, &written, nullptr)) {
      bytes += written;
      outcome.bytes = bytes;
      outcome.reason = DiskFault(folder, part);
      return outcome;
    }
    bytes += got;
    if (progress) progress(bytes, outcome.total, start);
  }
  outcome.bytes = bytes;
  if (!CloseHandle(file.release())) {
    outcome.reason = DiskFault(folder, part);
    return outcome;
  }
  if (!outcome.reason.empty()) return outcome;
  if (outcome.total >= 0 && bytes != outcome.total) {
    outcome.reason = ConcatText("the file host sent ", std::to_string(bytes), " bytes of ",
                                std::to_string(outcome.total));
    return outcome;
  }

  // The name was free when the download began; someone may have taken it since.
  for (int n = number; n >= 0 && n <= kMaxNumber; n = FreeNumber(folder, fileName, n + 1)) {
    Text target = InFolder(folder, NumberedFileName(fileName, n));
    if (MoveFileExW(W(Wide(part)), W(Wide(target)), 0)) {
      outcome.done = true;
      outcome.path = target;
      return outcome;
    }
    if (!Exists(target)) break;
  }
  outcome.reason = ConcatText("cannot give ", part, " its final name");
  return outcome;
}
