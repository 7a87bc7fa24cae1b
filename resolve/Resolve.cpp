#include "resolve/Resolve.h"

#include <string_view>
#include <utility>

#include "platform/LastError.h"
#include "text/PercentCodes.h"
#include "web/WebAccess.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One exchange through WebAccess, with its report. The last-error value is
// cleared first because an exchange that goes through leaves it alone.
Bytes Exchange(const Text& url, int method, const Text& postText, ExchangeReport& report) {
  Text rawHeaders;
  SetLastError(ERROR_SUCCESS);
  Bytes body = WebAccess(url, method, postText, nullptr, nullptr, nullptr, nullptr, false, nullptr, nullptr,
                         &rawHeaders);
  report.error = GetLastError();
  report.address = url;
  ReadStatusLine(rawHeaders, report.status, report.statusText);
  report.bodyBytes = static_cast<std::int64_t>(body.view().size());
  return body;
}

}  // namespace

void ReadStatusLine(const Text& rawHeaders, int& status, Text& statusText) {
  status = 0;
  statusText = Text();
  std::string_view line = rawHeaders.view();
  line = line.substr(0, line.find("\r\n"));
  if (!line.starts_with("HTTP/")) return;
  std::size_t space = line.find(' ');
  if (space == std::string_view::npos || line.size() < space + 4) return;
  std::string_view code = line.substr(space + 1, 3);
  if (!IsDigit(code[0]) || !IsDigit(code[1]) || !IsDigit(code[2])) return;
  if (line.size() > space + 4 && line[space + 4] != ' ') return;
  status = (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0');
  if (line.size() > space + 5) statusText = Text(line.substr(space + 5));
}

Text CutServiceErrno(const Text& answerText) {
  std::string_view text = answerText.view();
  std::size_t key = text.find("\"errno\"");
  if (key == std::string_view::npos) return {};
  std::size_t at = key + 7;
  while (at < text.size() && text[at] == ' ') ++at;
  if (at >= text.size() || text[at] != ':') return {};
  ++at;
  while (at < text.size() && text[at] == ' ') ++at;
  std::size_t start = at;
  if (at < text.size() && text[at] == '-') ++at;
  std::size_t digits = at;
  while (at < text.size() && IsDigit(text[at])) ++at;
  if (at == digits) return {};
  return Text(text.substr(start, at - start));
}

ShareFacts ReadSharePage(Bytes pageBody) {
  Text pageText = PercentDecode(BytesToText(std::move(pageBody)), true);
  return CutShareFacts(pageText);
}

Resolution ResolveShareAddress(const Text& shareAddress) {
  Resolution result;
  result.facts = ReadSharePage(Exchange(shareAddress, 0, {}, result.page));
  DownloadRequest request = BuildDownloadRequest(result.facts);
  Text answerText = BytesToText(Exchange(request.address, 1, request.body, result.download));
  result.link = CutDownloadLink(answerText);
  result.serviceErrno = CutServiceErrno(answerText);
  return result;
}
