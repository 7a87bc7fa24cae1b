#include "web/Url.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string S(const Text& t) { return std::string(t.view()); }

TEST(UrlSplitting, AddressModeGivesHostPortAndPath) {
  struct Case {
    const char* url;
    const char* host;
    int port;
    const char* path;
  } cases[] = {
      {"http://w.x.y/s/1aB?x=Y", "w.x.y", 80, "/s/1aB?x=Y"},
      {"https://w.x.y", "w.x.y", 443, "/"},
      {"HTTP://W.X.Y/Path", "w.x.y", 80, "/Path"},
      {"HTTPS://x.y/a", "x.y", 443, "/a"},
      {"w.x.y/a/b", "w.x.y", 80, "/a/b"},
      {"http://x.y:8080/q", "x.y", 8080, "/q"},
      {"https://x.y:8443", "x.y", 8443, "/"},
      {"http://x.y:/q", "x.y", 0, "/q"},
      {"http://x.y?k=1", "x.y?k=1", 80, "/"},
      {"https.x.y/q", "https.x.y", 443, "/q"},
      {"x.y/?u=http://z.y/", "z.y", 80, "/"},
      {"", "", 80, "/"},
      {"http://u:p@x.y/p", "u", 0, "/p"},  // user information
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    EXPECT_EQ(S(UrlHost(c.url)), c.host);
    EXPECT_EQ(UrlPort(c.url), c.port);
    EXPECT_EQ(S(UrlPath(c.url)), c.path);
  }
}

TEST(UrlSplitting, AddressModeOptions) {
  struct Case {
    const char* url;
    bool shortForm, keepPort;
    const char* host;
  } cases[] = {
      {"http://x.y:8080/q", false, true, "x.y:8080"},
      {"http://w.x.y/", true, false, "x.y"},
      {"http://v.w.x.y:8080/", true, false, "x.y"},
      {"http://v.w.x.y:8080/", true, true, "x.y:8080"},
      {"http://solo/", true, false, "solo"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url + std::string(c.shortForm ? " short" : "") + (c.keepPort ? " port" : ""));
    EXPECT_EQ(S(UrlHost(c.url, c.shortForm, c.keepPort)), c.host);
  }
}

TEST(UrlSplitting, DomainModeCountsLabelsBack) {
  struct Case {
    const char* url;
    int labelCount;
    bool shortForm, keepPort;
    const char* host;
  } cases[] = {
      {"http://v.w.x.y/q", 0, false, false, "x.y"},   {"http://v.w.x.y/q", 0, true, false, "y"},
      {"http://v.w.x.y/q", 1, false, false, "w.x.y"}, {"http://v.w.x.y/q", 1, true, false, "x.y"},
      {"http://v.w.x.y/q", 2, false, false, "v.w.x.y"}, {"http://v.w.x.y/q", 2, true, false, "w.x.y"},
      {"http://v.w.x.y/q", 3, false, false, "v.w.x.y"}, {"http://v.w.x.y/q", 3, true, false, "v.w.x.y"},
      {"http://v.w.x.y/q", 7, true, false, "v.w.x.y"},  {"http://v.w.x.y/q", -1, false, false, "x.y"},
      {"x.y:8080/q", 0, false, false, "x.y"},           {"x.y:8080/q", 0, false, true, "x.y:8080"},
      {"https://V.W.X.Y.", 0, false, false, "x.y."},  // a dot at the very end is not counted
      {"", 0, false, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url + std::string(" ") + std::to_string(c.labelCount) + (c.shortForm ? " short" : "") +
                 (c.keepPort ? " port" : ""));
    EXPECT_EQ(S(UrlHost(c.url, c.shortForm, c.keepPort, c.labelCount)), c.host);
  }
}

}  // namespace
