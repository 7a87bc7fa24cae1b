#include "resolve/NoLinkReason.h"

#include <string>
#include <vector>

#include "platform/WinINet.h"
#include "web/Url.h"

namespace {

bool Succeeded(int status) { return status >= 200 && status <= 299; }

// "404 Not Found", or "404" when the answer gave no words.
Text StatusWords(const ExchangeReport& report) {
  std::string code = std::to_string(report.status);
  return report.statusText.empty() ? Text(code) : ConcatText(code, " ", report.statusText);
}

Text WithErrno(const Text& words, const Text& serviceErrno) {
  return serviceErrno.empty() ? words : ConcatText(words, " (errno ", serviceErrno, ")");
}

// The share's values that the download request needs, by the names the page
// gives them, for those the page lacked.
std::vector<std::string_view> MissingShareValues(const ShareFacts& facts) {
  std::vector<std::string_view> missing;
  if (facts.uk.empty()) missing.push_back("uk");
  if (facts.shareid.empty()) missing.push_back("shareid");
  if (facts.timestamp.empty()) missing.push_back("timestamp");
  if (facts.sign.empty()) missing.push_back("sign");
  if (facts.fsId.empty()) missing.push_back("fsId");
  return missing;
}

}  // namespace

Text ExchangeErrorWords(DWORD error, const Text& address) {
  switch (error) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
      return ConcatText("the name ", UrlHost(address), " could not be resolved");
    case ERROR_INTERNET_CANNOT_CONNECT:
      return ConcatText("the connection to ", UrlHost(address, false, true), " was refused");
    case ERROR_INTERNET_TIMEOUT:
      return "the service did not answer in time";
    case ERROR_INTERNET_CONNECTION_RESET:
      return "the service reset the connection";
    case ERROR_INTERNET_CONNECTION_ABORTED:
      return "the connection broke off before the answer was complete";
    case ERROR_HTTP_INVALID_SERVER_RESPONSE:
      return "the service's answer was not HTTP";
    case ERROR_INTERNET_INVALID_URL:
      return "the address is not valid";
    case ERROR_INTERNET_INVALID_CA:
      return ConcatText("the certificate of ", UrlHost(address), " is from an issuer that is not trusted");
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
      return ConcatText("the certificate of ", UrlHost(address), " is for another name");
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
      return ConcatText("the certificate of ", UrlHost(address), " is out of date");
    case ERROR_INTERNET_SECURE_FAILURE:
      return "the secure connection failed";
    default:
      return Text("error " + std::to_string(error));
  }
}

Text NoLinkReason(const Resolution& resolution) {
  if (!resolution.link.empty()) return {};
  const ExchangeReport& page = resolution.page;
  const ExchangeReport& download = resolution.download;
  if (page.address.empty()) return "the address is empty";

  if (page.error != 0) return ExchangeErrorWords(page.error, page.address);
  if (page.status != 0 && !Succeeded(page.status)) {
    return ConcatText("the share page answered ", StatusWords(page));
  }
  if (page.status == 0 && page.bodyBytes == 0) return "the share page could not be had";
  if (page.bodyBytes == 0) return "the share page was empty";
  std::vector<std::string_view> missing = MissingShareValues(resolution.facts);
  if (missing.size() == 5) return "the share page holds none of the share's values";
  if (!missing.empty()) {
    std::string names;
    for (std::string_view name : missing) names.append(names.empty() ? "" : ", ").append(name);
    return Text("the share page lacks the share's " + names);
  }

  if (download.error != 0) {
    return ConcatText("the download request failed: ", ExchangeErrorWords(download.error, download.address));
  }
  if (download.status != 0 && !Succeeded(download.status)) {
    return WithErrno(ConcatText("the download request was answered ", StatusWords(download)),
                     resolution.serviceErrno);
  }
  if (download.bodyBytes == 0) return "the service's answer was empty";
  return WithErrno("the service's answer holds no link", resolution.serviceErrno);
}
