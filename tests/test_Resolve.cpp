// The whole pipeline against the stand-in share service. These tests run inside
// a private network namespace (tests/e2e/in_share_netns.sh) where the
// service's host name reaches the stand-in on 127.0.0.1:80.
#include "resolve/Resolve.h"

#include "tests/e2e/ServiceLog.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using nlohmann::json;

const std::string kFullLink = "http://d.pcs.baidu.com/file/9d8f?fid=807312661286537&sh=1&fn=%E5%AD%A3.pdf";
const std::string kFullDownload =
    "/share/download?channel=chunlei&clienttype=0&web=1&uk=2889076181&shareid=1283928463"
    "&timestamp=1394968831&sign=9d8f2e1a0c&bdstoken=null";
const std::string kBareDownload = "/share/download?channel=chunlei&clienttype=0&web=1&uk=&shareid=&timestamp=&sign=&bdstoken=null";

class ResolveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!InShareNetns()) GTEST_SKIP() << "runs only inside in_share_netns.sh";
  }
  std::vector<json> NewRequests() const { return mark_.NewRequests(); }
  ServiceLogMark mark_;
};

TEST_F(ResolveTest, FullPageGivesLinkAndFacts) {
  Resolution result = ResolveShareAddress("http://pan.baidu.com/s/1full");
  EXPECT_EQ(result.link.view(), kFullLink);
  EXPECT_EQ(result.facts.fileName, "季度报告 final.pdf"_cp936);  // %-escaped in the page, decoded
  EXPECT_EQ(result.facts.fileSize, "1.5M");
  EXPECT_EQ(result.facts.shareTime, "2014-03-18 10:20");
  EXPECT_EQ(result.facts.sharer, "张三"_cp936);

  std::vector<json> requests = NewRequests();
  ASSERT_EQ(requests.size(), 2u);
  const json& page = requests[0];
  EXPECT_EQ(page["method"], "GET");
  EXPECT_EQ(page["path"], "/s/1full");
  EXPECT_EQ(page["headers"]["Referer"], "http://pan.baidu.com/s/1full");
  EXPECT_EQ(page["headers"]["Accept"], "*/*");
  EXPECT_EQ(page["headers"]["Accept-Language"], "zh-cn");
  EXPECT_EQ(page["headers"]["Content-Type"], "application/x-www-form-urlencoded");
  EXPECT_EQ(std::string(page["headers"]["User-Agent"]).rfind("Mozilla/4.0 (compatible; MSIE 9.0;", 0), 0u);
  const json& download = requests[1];
  EXPECT_EQ(download["method"], "POST");
  EXPECT_EQ(download["path"], kFullDownload);
  EXPECT_EQ(download["body"], "fid_list=%5B%22807312661286537%22%5D");
  EXPECT_EQ(download["headers"]["Referer"], "http://pan.baidu.com" + kFullDownload);
  EXPECT_EQ(download["headers"]["Cookie"], "BDCLND=c00k1e");  // set by the page's answer
}

TEST_F(ResolveTest, PageWithoutMarkersStillSendsTheDownloadRequest) {
  Resolution result = ResolveShareAddress("http://pan.baidu.com/s/1bare");
  EXPECT_TRUE(result.link.empty());
  EXPECT_TRUE(result.facts.fileName.empty());
  EXPECT_TRUE(result.facts.sharer.empty());
  std::vector<json> requests = NewRequests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1]["path"], kBareDownload);
  EXPECT_EQ(requests[1]["body"], "fid_list=%5B%22%22%5D");
}

TEST_F(ResolveTest, AddressThatIsNoAddressStillSendsTheDownloadRequest) {
  Resolution result = ResolveShareAddress("   ");
  EXPECT_TRUE(result.link.empty());
  std::vector<json> requests = NewRequests();
  ASSERT_EQ(requests.size(), 1u);  // the page exchange failed; the download request went out
  EXPECT_EQ(requests[0]["path"], kBareDownload);
}

TEST_F(ResolveTest, AnswerIsNotDecoded) {
  Resolution result = ResolveShareAddress("http://pan.baidu.com/s/1pct");
  EXPECT_EQ(result.link.view(), "http://d.pcs.baidu.com/file/%E5%90%8D.txt?a=%20b");
  EXPECT_EQ(result.facts.fileName, "名字.txt"_cp936);
}

TEST_F(ResolveTest, ReportsWhatEachExchangeGave) {
  Resolution full = ResolveShareAddress("http://pan.baidu.com/s/1full");
  EXPECT_EQ(full.page.address, "http://pan.baidu.com/s/1full");
  EXPECT_EQ(full.page.error, 0u);
  EXPECT_EQ(full.page.status, 200);
  EXPECT_EQ(full.page.statusText, "OK");
  EXPECT_GT(full.page.bodyBytes, 500);
  EXPECT_EQ(full.download.address.view(), "http://pan.baidu.com" + kFullDownload);
  EXPECT_EQ(full.download.status, 200);
  EXPECT_EQ(full.serviceErrno, "0");

  Resolution bare = ResolveShareAddress("http://pan.baidu.com/s/1bare");
  EXPECT_EQ(bare.page.status, 200);
  EXPECT_EQ(bare.download.error, 0u);
  EXPECT_EQ(bare.download.status, 403);
  EXPECT_EQ(bare.download.statusText, "Forbidden");
  EXPECT_EQ(bare.download.bodyBytes, std::string(R"({"errno":-9,"request_id":2})").size());
  EXPECT_EQ(bare.serviceErrno, "-9");

  // A failed page exchange: the download request still goes out, and reports
  // for itself.
  ServiceLogMark mark;
  Resolution refused = ResolveShareAddress("http://127.0.0.1:1/s/1abc");
  EXPECT_EQ(refused.page.error, 12029u);  // ERROR_INTERNET_CANNOT_CONNECT
  EXPECT_EQ(refused.page.status, 0);
  EXPECT_EQ(refused.page.bodyBytes, 0);
  EXPECT_EQ(refused.download.error, 0u);
  EXPECT_EQ(refused.download.status, 403);
  EXPECT_EQ(mark.NewRequests().size(), 1u);
}

TEST_F(ResolveTest, SecondRunTakesTheWholeRoadAgain) {
  Resolution first = ResolveShareAddress("http://pan.baidu.com/s/1full");
  Resolution second = ResolveShareAddress("http://pan.baidu.com/s/1full");
  EXPECT_EQ(first.link, second.link);
  EXPECT_EQ(NewRequests().size(), 4u);
}

// ---- linkpeel-resolve ------------------------------------------------------

struct ProcessRun {
  int status;
  std::string out, err;
};

// Runs the command-line program through the shell with `input` (a printf
// format: \n is a line end) on its standard input, keeping what it writes to
// standard output and standard error.
ProcessRun RunResolver(const std::string& args, const std::string& input = "") {
  std::string errFile = testing::TempDir() + "resolver_stderr";
  std::string command = "printf '" + input + "' | " LINKPEEL_RESOLVE_PATH " " + args + " 2>" + errFile;
  ProcessRun run{-1, {}, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (FILE* err = fopen(errFile.c_str(), "rb")) {
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, err)) > 0;) run.err.append(buffer, n);
    fclose(err);
  }
  std::remove(errFile.c_str());
  return run;
}

TEST_F(ResolveTest, ResolverPrintsOneLinePerAddress) {
  struct Case {
    std::string args, input;
    int status;
    std::string out;
  } cases[] = {
      {"http://pan.baidu.com/s/1full", "", 0, kFullLink + "\n"},
      {"http://pan.baidu.com/s/1full http://pan.baidu.com/s/1bare", "", 1, kFullLink + "\n\n"},
      {"-", "http://pan.baidu.com/s/1pct\\nhttp://pan.baidu.com/s/1full\\n", 0,
       "http://d.pcs.baidu.com/file/%E5%90%8D.txt?a=%20b\n" + kFullLink + "\n"},
      {"-", "http://pan.baidu.com/s/1full\\r\\n\\n", 1, kFullLink + "\n\n"},  // CR LF taken; an empty line gives none
      // A link whose answer escapes controls and Chinese stays one line of ASCII.
      {"http://pan.baidu.com/s/1ctl http://pan.baidu.com/s/1full", "", 0,
       "http://d.pcs.baidu.com/file/%E4%B8%AD.txt?a=1%0D%0Ab=%1B[31m\n" + kFullLink + "\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args + " < " + c.input);
    ProcessRun run = RunResolver(c.args, c.input);
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out, c.out);
  }
}

// Each address without a link gets one line on standard error, saying the
// first thing that went wrong; standard output and the status stay as they
// were without it.
TEST_F(ResolveTest, ResolverSaysWhyThereIsNoLink) {
  const std::string kNoLink = "linkpeel-resolve: ";
  struct Case {
    std::string address, reason;
  } cases[] = {
      {"http://pan.example.invalid/s/1abc", "the name pan.example.invalid could not be resolved"},
      {"http://127.0.0.1:1/s/1abc", "the connection to 127.0.0.1:1 was refused"},
      {"http://pan.baidu.com/s/1reset", "the service reset the connection"},
      {"http://pan.baidu.com/s/1gone", "the share page answered 404 Not Found"},
      {"http://pan.baidu.com/s/1bare", "the share page holds none of the share's values"},
      {"http://pan.baidu.com/s/1dlreset", "the download request failed: the service reset the connection"},
      {"http://pan.baidu.com/s/1forbid", "the download request was answered 403 Forbidden (errno -9)"},
      {"http://pan.baidu.com/s/1nolink", "the service's answer holds no link (errno -20)"},
      // The status line's words come from the server: shown, not obeyed.
      {"http://pan.baidu.com/s/1esc", "the share page answered 404 Not ?[31mFound"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    ProcessRun run = RunResolver(c.address);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "\n");
    EXPECT_EQ(run.err, kNoLink + c.address + ": no link: " + c.reason + "\n");
  }

  ProcessRun several = RunResolver("http://pan.baidu.com/s/1gone http://pan.baidu.com/s/1full -",
                                   "\\nhttp://pan.baidu.com/s/1nolink\\n");
  EXPECT_EQ(several.status, 1);
  EXPECT_EQ(several.out, "\n" + kFullLink + "\n\n\n");
  EXPECT_EQ(several.err, kNoLink + "http://pan.baidu.com/s/1gone: no link: the share page answered 404 Not Found\n" +
                             kNoLink + ": no link: the address is empty\n" + kNoLink +
                             "http://pan.baidu.com/s/1nolink: no link: the service's answer holds no link (errno -20)\n");

  ProcessRun linked = RunResolver("http://pan.baidu.com/s/1full");
  EXPECT_EQ(linked.status, 0);
  EXPECT_EQ(linked.err, "");
}

TEST_F(ResolveTest, ResolverJsonCarriesFactsInUtf8) {
  ProcessRun run = RunResolver("--json http://pan.baidu.com/s/1full http://pan.baidu.com/s/1bare");
  EXPECT_EQ(run.status, 1);
  std::vector<json> lines;
  size_t start = 0;
  for (size_t end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(json::parse(run.out.substr(start, end - start)));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], (json{{"address", "http://pan.baidu.com/s/1full"},
                            {"link", kFullLink},
                            {"fileName", "季度报告 final.pdf"},
                            {"fileSize", "1.5M"},
                            {"shareTime", "2014-03-18 10:20"},
                            {"sharer", "张三"},
                            {"error", nullptr}}));
  EXPECT_EQ(lines[1]["link"], "");
  EXPECT_EQ(lines[1]["fileName"], "");
  EXPECT_EQ(lines[1]["error"], "the share page holds none of the share's values");
  EXPECT_EQ(run.err, "linkpeel-resolve: http://pan.baidu.com/s/1bare: no link: the share page holds none of the "
                     "share's values\n");
  std::vector<std::string> keys;
  nlohmann::ordered_json first = nlohmann::ordered_json::parse(run.out.substr(0, run.out.find('\n')));
  for (auto& item : first.items()) keys.push_back(item.key());
  EXPECT_EQ(keys,
            (std::vector<std::string>{"address", "link", "fileName", "fileSize", "shareTime", "sharer", "error"}));
}

TEST_F(ResolveTest, ResolverSendsArgumentsInCodePage936) {
  RunResolver("http://pan.baidu.com/s/1full?n=中");
  std::vector<json> requests = NewRequests();
  ASSERT_GE(requests.size(), 1u);
  // The service reads the request line as Latin-1: the two bytes D6 D0.
  EXPECT_EQ(requests[0]["path"], "/s/1full?n=\u00D6\u00D0");
}

}  // namespace

// Usage errors need no service: they never reach the network.
TEST(ResolverUsage, ExitStatusesAndTexts) {
  struct Case {
    std::string args;
    int status;
    std::string outStart;
  } cases[] = {
      {"", 2, ""},
      {"--bogus http://x/", 2, ""},
      {"--help", 0, "usage: linkpeel-resolve"},
      {"--version", 0, "linkpeel-resolve "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    ProcessRun run = RunResolver(c.args + " 2>/dev/null");
    EXPECT_EQ(run.status, c.status);
    EXPECT_EQ(run.out.rfind(c.outStart, 0), 0u) << run.out;
  }
}
