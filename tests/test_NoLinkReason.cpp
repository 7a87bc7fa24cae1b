// The reason given for an address without a link, from made-up exchange
// reports: no network.
#include "resolve/NoLinkReason.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/WinINet.h"

namespace {

// A resolution where every step went well and only the link is missing: a
// case spoils the steps it is about, so a cause earlier on the road than the
// one it expects shows up as a wrong reason.
Resolution WellUntilTheLink() {
  Resolution r;
  r.page = {"http://pan.baidu.com/s/1abc", 0, 200, "OK", 4000};
  r.facts.uk = "1";
  r.facts.shareid = "2";
  r.facts.timestamp = "3";
  r.facts.sign = "4";
  r.facts.fsId = "5";
  r.download = {"http://pan.baidu.com/share/download?uk=1", 0, 200, "OK", 40};
  return r;
}

void NoShareValues(Resolution& r) { r.facts = ShareFacts(); }

TEST(NoLinkReason, FirstCauseOnTheRoadWins) {
  struct Case {
    const char* what;
    std::function<void(Resolution&)> spoil;
    std::string reason;
  } cases[] = {
      {"nothing wrong but the link", [](Resolution&) {}, "the service's answer holds no link"},
      {"answer carries errno", [](Resolution& r) { r.serviceErrno = "-20"; },
       "the service's answer holds no link (errno -20)"},
      {"empty answer", [](Resolution& r) { r.download.bodyBytes = 0; }, "the service's answer was empty"},
      {"download exchange failed, cause without a name",
       [](Resolution& r) {
         r.download = {r.download.address, 403, 403, "", 0};  // an error number that is no WinINet one
       },
       "the download request failed: error 403"},
      {"download status",
       [](Resolution& r) {
         r.download.status = 403;
         r.download.statusText = "Forbidden";
         r.serviceErrno = "-9";
       },
       "the download request was answered 403 Forbidden (errno -9)"},
      {"download status without words", [](Resolution& r) { r.download.status = 500, r.download.statusText = ""; },
       "the download request was answered 500"},
      {"download reset before status",
       [](Resolution& r) {
         r.download.status = 503;
         r.download.error = ERROR_INTERNET_CONNECTION_RESET;
       },
       "the download request failed: the service reset the connection"},
      {"page lacks some values",
       [](Resolution& r) {
         r.facts.sign = Text();
         r.facts.fsId = Text();
         r.download.status = 403;
       },
       "the share page lacks the share's sign, fsId"},
      {"page lacks every value", [](Resolution& r) { NoShareValues(r), r.download.status = 403; },
       "the share page holds none of the share's values"},
      {"page with facts but no values",
       [](Resolution& r) { NoShareValues(r), r.facts.fileName = "a.txt", r.facts.sharer = "x"; },
       "the share page holds none of the share's values"},
      {"empty page", [](Resolution& r) { NoShareValues(r), r.page.bodyBytes = 0; }, "the share page was empty"},
      {"page header block too long: the body still counts", [](Resolution& r) { r.page.status = 0; },
       "the service's answer holds no link"},
      {"nothing came, nothing said", [](Resolution& r) { NoShareValues(r), r.page = {r.page.address, 0, 0, "", 0}; },
       "the share page could not be had"},
      {"page 404",
       [](Resolution& r) {
         NoShareValues(r);
         r.page.status = 404;
         r.page.statusText = "Not Found";
         r.download.status = 403;
         r.serviceErrno = "-9";
       },
       "the share page answered 404 Not Found"},
      {"page redirect not followed", [](Resolution& r) { r.page.status = 302, r.page.statusText = "Found"; },
       "the share page answered 302 Found"},
      {"page 2xx other than 200", [](Resolution& r) { r.page.status = 203, r.download.status = 204; },
       "the service's answer holds no link"},
      {"name not resolved",
       [](Resolution& r) {
         NoShareValues(r);
         r.page = {"http://PAN.example.invalid:8080/s/1", ERROR_INTERNET_NAME_NOT_RESOLVED, 0, "", 0};
         r.download.error = ERROR_INTERNET_NAME_NOT_RESOLVED;
       },
       "the name pan.example.invalid could not be resolved"},
      {"refused",
       [](Resolution& r) { r.page = {"http://127.0.0.1:1/s/1", ERROR_INTERNET_CANNOT_CONNECT, 0, "", 0}; },
       "the connection to 127.0.0.1:1 was refused"},
      {"time-out", [](Resolution& r) { r.page.error = ERROR_INTERNET_TIMEOUT; }, "the service did not answer in time"},
      {"no address", [](Resolution& r) { r = Resolution(); }, "the address is empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Resolution r = WellUntilTheLink();
    c.spoil(r);
    EXPECT_EQ(std::string(NoLinkReason(r).view()), c.reason);
  }
}

TEST(NoLinkReason, NoneWhenThereIsALink) {
  Resolution r = WellUntilTheLink();
  r.link = "http://d.pcs.baidu.com/file/1";
  EXPECT_TRUE(NoLinkReason(r).empty());
  r.page.error = ERROR_INTERNET_TIMEOUT;  // a link is a link, whatever came before
  EXPECT_TRUE(NoLinkReason(r).empty());
}

TEST(ExchangeErrorWords, CommonCausesByNameOthersByNumber) {
  const Text address = "http://Pan.Baidu.com:8080/s/1abc";
  struct Case {
    DWORD error;
    std::string words;
  } cases[] = {
      {ERROR_INTERNET_NAME_NOT_RESOLVED, "the name pan.baidu.com could not be resolved"},
      {ERROR_INTERNET_CANNOT_CONNECT, "the connection to pan.baidu.com:8080 was refused"},
      {ERROR_INTERNET_TIMEOUT, "the service did not answer in time"},
      {ERROR_INTERNET_CONNECTION_RESET, "the service reset the connection"},
      {ERROR_INTERNET_CONNECTION_ABORTED, "the connection broke off before the answer was complete"},
      {ERROR_HTTP_INVALID_SERVER_RESPONSE, "the service's answer was not HTTP"},
      {ERROR_INTERNET_INVALID_URL, "the address is not valid"},
      {ERROR_INTERNET_INVALID_CA, "the certificate of pan.baidu.com is from an issuer that is not trusted"},
      {ERROR_INTERNET_SEC_CERT_CN_INVALID, "the certificate of pan.baidu.com is for another name"},
      {ERROR_INTERNET_SEC_CERT_DATE_INVALID, "the certificate of pan.baidu.com is out of date"},
      {ERROR_INTERNET_SECURE_FAILURE, "the secure connection failed"},
      {ERROR_INTERNET_INTERNAL_ERROR, "error 12004"},
      {ERROR_INTERNET_INCORRECT_HANDLE_STATE, "error 12019"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.error);
    EXPECT_EQ(std::string(ExchangeErrorWords(c.error, address).view()), c.words);
  }
}

// What the reports are read from.
TEST(ReadStatusLine, CodeAndWordsOfTheFirstLineOnly) {
  struct Case {
    std::string raw;
    int status;
    std::string text;
  } cases[] = {
      {"HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\n", 404, "Not Found"},
      {"HTTP/1.1 200 OK\r\n\r\n", 200, "OK"},
      {"HTTP/1.1 200\r\n\r\n", 200, ""},
      {"HTTP/1.0 503 Service Unavailable", 503, "Service Unavailable"},
      {"HTTP/1.1 200 \r\n", 200, ""},
      {std::string(5000, ' '), 0, ""},  // the header query failed
      {"", 0, ""},                       // a handle could not be opened
      {"HTTP/1.1 20\r\n", 0, ""},
      {"HTTP/1.1 2000 OK\r\n", 0, ""},
      {"HTTP/1.1 abc OK\r\n", 0, ""},
      {"X-A: HTTP/1.1 404 x\r\n", 0, ""},
      {"\r\nHTTP/1.1 404 Not Found\r\n", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.raw.substr(0, 40));
    int status = -1;
    Text text = "before";
    ReadStatusLine(Text(c.raw), status, text);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(std::string(text.view()), c.text);
  }
}

TEST(CutServiceErrno, NumberAfterTheFirstErrnoKey) {
  struct Case {
    std::string answer, value;
  } cases[] = {
      {R"({"errno":-9,"request_id":2})", "-9"},
      {R"({"errno":0,"dlink":"x"})", "0"},
      {R"({"request_id":2,"errno" : 113})", "113"},
      {R"({"errno":-20})", "-20"},
      {R"({"errno":"x"})", ""},
      {R"({"errno":-})", ""},
      {R"({"errno"})", ""},
      {R"({"error_code":31045})", ""},
      {R"({"errmsg":"errno is -1"})", ""},
      {"", ""},
      {R"({"errno":7,"list":[{"errno":8}]})", "7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    EXPECT_EQ(std::string(CutServiceErrno(Text(c.answer)).view()), c.value);
  }
}

}  // namespace
