// The WinINet stand-in against real servers on 127.0.0.1: what goes on the
// wire, redirects, cookies, proxies, broken answers, time-outs and https.
#include "platform/WinINet.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "platform/LastError.h"
#include "platform/WinINetTesting.h"
#include "tests/servers/LoopbackServer.h"

namespace {

struct Request {
  std::string host = "127.0.0.1";
  INTERNET_PORT port = 0;
  std::string verb = "GET";
  std::string object = "/";
  DWORD flags = INTERNET_FLAG_RELOAD;
  std::string headers{};
  std::string body{};
  DWORD accessType = INTERNET_OPEN_TYPE_DIRECT;
  const char* proxyList = nullptr;
  std::string agent = "TestAgent/1";
};

struct Outcome {
  bool opened = false;  // all three handles
  BOOL sent = FALSE;
  std::string body{};
  BOOL lastRead = TRUE;  // the result of the read that ended the loop
  std::string headers;   // HTTP_QUERY_RAW_HEADERS_CRLF, "" when the query failed
  DWORD sendError = 0;   // the last-error value after the send and after the reads
  DWORD readError = 0;
};

// What the last-error value holds when no call has touched it.
constexpr DWORD kUntouched = 0xC0FFEE;

Outcome Exchange(const Request& q) {
  Outcome out;
  HINTERNET internet = InternetOpenA(q.agent.c_str(), q.accessType, q.proxyList, q.proxyList ? "" : nullptr, 0);
  HINTERNET connection =
      InternetConnectA(internet, q.host.c_str(), q.port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  HINTERNET request = HttpOpenRequestA(connection, q.verb.c_str(), q.object.c_str(), "HTTP/1.1", nullptr,
                                       nullptr, q.flags, 0);
  out.opened = internet && connection && request;
  if (out.opened) {
    SetLastError(kUntouched);
    out.sent = HttpSendRequestA(request, q.headers.c_str(), static_cast<DWORD>(q.headers.size()),
                                q.body.empty() ? nullptr : const_cast<char*>(q.body.data()),
                                static_cast<DWORD>(q.body.size()));
    out.sendError = GetLastError();
    SetLastError(kUntouched);
    char buffer[1024];
    DWORD count = 0;
    for (;;) {
      out.lastRead = InternetReadFile(request, buffer, sizeof buffer, &count);
      if (count == 0) break;
      out.body.append(buffer, count);
    }
    out.readError = GetLastError();
    std::string block(100000, ' ');
    DWORD length = static_cast<DWORD>(block.size());
    if (HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, block.data(), &length, nullptr)) {
      out.headers = block.substr(0, length);
    }
  }
  if (request) InternetCloseHandle(request);
  if (connection) InternetCloseHandle(connection);
  if (internet) InternetCloseHandle(internet);
  return out;
}

class WinINet : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearInternetCookiesForTesting();
    SetInternetTimeoutsForTesting(0, 0);
    SetInternetSlowTransferBoundForTesting(0, 0);
  }
  void TearDown() override {
    SetInternetTimeoutsForTesting(0, 0);
    SetInternetSlowTransferBoundForTesting(0, 0);
    SetInternetLibraryForTesting(nullptr);
  }
};

void AnswerHello(const ReceivedRequest&, Peer& peer) { peer.Send(HttpAnswer(200, "X-Test: 1\r\n", "hello")); }

TEST_F(WinINet, GetSendsOnlyHostAndAgentOfItsOwn) {
  LoopbackServer server(AnswerHello);
  Outcome out = Exchange({.port = static_cast<INTERNET_PORT>(server.port()), .object = "/a b?x=1"});
  ASSERT_TRUE(out.sent);
  EXPECT_EQ(out.body, "hello");
  ASSERT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests()[0].head,
            "GET /a%20b?x=1 HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                "\r\nUser-Agent: TestAgent/1\r\n\r\n");
}

TEST_F(WinINet, BodyAndContentLengthFollowTheVerb) {
  LoopbackServer server(AnswerHello);
  INTERNET_PORT port = static_cast<INTERNET_PORT>(server.port());
  struct Case {
    std::string verb, body, contentLength;
  } cases[] = {
      {"POST", "a=1", "3"},
      {"POST", "", "0"},
      {"GET", "q", "1"},
      {"POST", std::string(2 << 20, 'x'), std::to_string(2 << 20)},  // no Expect even when large
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.verb + " " + c.contentLength);
    std::size_t before = server.RequestCount();
    ASSERT_TRUE(Exchange({.port = port, .verb = c.verb, .body = c.body}).sent);
    ReceivedRequest got = server.Requests()[before];
    EXPECT_EQ(got.method, c.verb);
    EXPECT_EQ(got.body, c.body);
    EXPECT_EQ(got.Header("Content-Length"), c.contentLength);
    for (const char* absent : {"Accept", "Expect", "Content-Type", "Accept-Encoding", "Transfer-Encoding"}) {
      EXPECT_FALSE(got.HasHeader(absent)) << absent;
    }
  }
}

TEST_F(WinINet, HeaderTextIsSplitAtAnyLineEndAndLaterLinesWin) {
  LoopbackServer server(AnswerHello);
  Request q{.port = static_cast<INTERNET_PORT>(server.port())};
  q.headers = "A: 1\rB: 2\nC: 3\r\n\r\nUser-Agent: Mine/2\r\na: 4\r\nEmpty:\r\n";
  ASSERT_TRUE(Exchange(q).sent);
  std::string head = server.Requests()[0].head;
  EXPECT_NE(head.find("\r\na: 4\r\nB: 2\r\nC: 3\r\n"), std::string::npos) << head;
  EXPECT_EQ(head.find("A: 1"), std::string::npos);
  EXPECT_EQ(server.Requests()[0].Header("User-Agent"), "Mine/2");
  EXPECT_EQ(head.find("TestAgent"), std::string::npos);
  EXPECT_TRUE(server.Requests()[0].HasHeader("Empty"));
}

TEST_F(WinINet, CodePageBytesInTheObjectGoAsTheyAreTheFragmentNot) {
  LoopbackServer server([](const ReceivedRequest& r, Peer& peer) {
    peer.Send(r.target.find("go") != std::string::npos ? HttpAnswer(302, "Location: done\r\n", "")
                                                         : HttpAnswer(200, "", r.target));
  });
  INTERNET_PORT port = static_cast<INTERNET_PORT>(server.port());
  EXPECT_EQ(Exchange({.port = port, .object = "/\xD6\xD0/a?q=\xB0\xA1#f"}).body, "/\xD6\xD0/a?q=\xB0\xA1");
  EXPECT_EQ(Exchange({.port = port, .object = "/\xD6\xD0/go?q=\xB0\xA1"}).body, "/%d6%d0/done");  // curl's escapes
}

TEST_F(WinINet, EmptyObjectIsTheRoot) {
  LoopbackServer server(AnswerHello);
  ASSERT_TRUE(Exchange({.port = static_cast<INTERNET_PORT>(server.port()), .object = ""}).sent);
  EXPECT_EQ(server.Requests()[0].target, "/");
}

TEST_F(WinINet, AddressesWithControlBytesAreRefusedBeforeAnythingIsSent) {
  LoopbackServer server(AnswerHello);
  HINTERNET internet = InternetOpenA("a", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  EXPECT_EQ(InternetConnectA(internet, "", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0), nullptr);
  EXPECT_EQ(InternetConnectA(internet, "127.0.0.1\r\nX: 1", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0),
            nullptr);
  HINTERNET connection = InternetConnectA(internet, "127.0.0.1", static_cast<INTERNET_PORT>(server.port()),
                                          nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  ASSERT_NE(connection, nullptr);
  for (const char* object : {"/a\r\nX-Injected: 1", "/a\nb", "/a\tb", "/a\x7f", "/a\x01"}) {
    SCOPED_TRACE(object);
    EXPECT_EQ(HttpOpenRequestA(connection, "GET", object, "HTTP/1.1", nullptr, nullptr, 0, 0), nullptr);
  }
  InternetCloseHandle(connection);
  InternetCloseHandle(internet);
  EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(WinINet, RawHeadersAreTheFinalAnswersAndRespectTheBufferSize) {
  LoopbackServer server([](const ReceivedRequest&, Peer& peer) {
    peer.Send("HTTP/1.1 404 Not Found\r\nX-A: 1\nContent-Length: 4\r\n\r\ngone");
  });
  HINTERNET internet = InternetOpenA("a", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET connection = InternetConnectA(internet, "127.0.0.1", static_cast<INTERNET_PORT>(server.port()),
                                          nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  HINTERNET request = HttpOpenRequestA(connection, "GET", "/", "HTTP/1.1", nullptr, nullptr, 0, 0);
  char buffer[200];
  DWORD length = sizeof buffer;
  EXPECT_FALSE(HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer, &length, nullptr));  // not sent yet
  ASSERT_TRUE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));

  const std::string expected = "HTTP/1.1 404 Not Found\r\nX-A: 1\r\nContent-Length: 4\r\n\r\n";
  std::memset(buffer, '#', sizeof buffer);
  length = static_cast<DWORD>(expected.size());  // one short: the NUL needs room too
  EXPECT_FALSE(HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer, &length, nullptr));
  EXPECT_EQ(length, expected.size() + 1);
  EXPECT_EQ(std::string(buffer, 10), std::string(10, '#'));
  length = sizeof buffer;
  ASSERT_TRUE(HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer, &length, nullptr));
  EXPECT_EQ(std::string(buffer), expected);
  EXPECT_EQ(length, expected.size());

  char body[16];
  DWORD count = 99;
  EXPECT_TRUE(InternetReadFile(request, body, sizeof body, &count));
  EXPECT_EQ(std::string(body, count), "gone");  // an error answer's body is a body
  EXPECT_TRUE(InternetReadFile(request, body, sizeof body, &count));
  EXPECT_EQ(count, 0u);
  EXPECT_TRUE(InternetCloseHandle(request));
  EXPECT_FALSE(InternetCloseHandle(request));
  InternetCloseHandle(connection);
  InternetCloseHandle(internet);
}

TEST_F(WinINet, BodyIsDechunkedButNotDecompressed) {
  const std::string gzipBytes("\x1f\x8b\x08\x00\x00\x00\x00\x00", 8);
  LoopbackServer server([&](const ReceivedRequest& r, Peer& peer) {
    if (r.target == "/chunked") {
      peer.Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\n\r\n");
    } else if (r.target == "/gzip") {
      peer.Send(HttpAnswer(200, "Content-Encoding: gzip\r\n", gzipBytes));
    } else {
      peer.Send(HttpAnswer(200, "", ""));
    }
  });
  INTERNET_PORT port = static_cast<INTERNET_PORT>(server.port());
  EXPECT_EQ(Exchange({.port = port, .object = "/chunked"}).body, "hello world");
  EXPECT_EQ(Exchange({.port = port, .object = "/gzip"}).body, gzipBytes);
  Outcome empty = Exchange({.port = port, .object = "/empty"});
  EXPECT_TRUE(empty.sent);
  EXPECT_EQ(empty.body, "");
  EXPECT_TRUE(empty.lastRead);
  EXPECT_NE(empty.headers.find("Content-Length: 0\r\n"), std::string::npos);
}

TEST_F(WinINet, LargeBodyArrivesWhole) {
  std::string big(3 << 20, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 1000);
  LoopbackServer server([&](const ReceivedRequest&, Peer& peer) { peer.Send(HttpAnswer(200, "", big)); });
  Outcome out = Exchange({.port = static_cast<INTERNET_PORT>(server.port())});
  EXPECT_TRUE(out.lastRead);
  EXPECT_TRUE(out.body == big);
}

// The redirecting server: /r/N answers with N more redirects; /to?X goes to X.
class Redirects : public WinINet {
 protected:
  LoopbackServer server{[](const ReceivedRequest& r, Peer& peer) {
    if (r.target.rfind("/status/", 0) == 0) {
      std::string status = r.target.substr(8, 3);
      std::string location = r.target.substr(12);
      peer.Send(HttpAnswer(std::stoi(status), "Location: " + location + "\r\nSet-Cookie: hop" + status +
                                                  "=1; Path=/\r\n",
                           "moved"));
    } else if (r.target == "/dir/go") {
      peer.Send(HttpAnswer(302, "Location: ../rel?x=1\r\n", ""));
    } else if (r.target.rfind("/r/", 0) == 0) {
      int left = std::stoi(r.target.substr(3));
      peer.Send(left == 0 ? HttpAnswer(200, "", "end")
                          : HttpAnswer(302, "Location: /r/" + std::to_string(left - 1) + "\r\n", ""));
    } else {
      peer.Send(HttpAnswer(200, "", r.method + " " + r.target + " " + r.body + " cookie=" + r.Header("Cookie")));
    }
  }};
  INTERNET_PORT port() const { return static_cast<INTERNET_PORT>(server.port()); }
};

TEST_F(Redirects, VerbAndBodyFollowTheStatus) {
  struct Case {
    std::string status, verb, expected;
  } cases[] = {
      {"301", "POST", "GET /final  cookie=hop301=1"}, {"302", "POST", "GET /final  cookie=hop302=1"},
      {"303", "POST", "GET /final  cookie=hop303=1"}, {"307", "POST", "POST /final b=2 cookie=hop307=1"},
      {"308", "POST", "POST /final b=2 cookie=hop308=1"}, {"302", "GET", "GET /final  cookie=hop302=1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status + " " + c.verb);
    ClearInternetCookiesForTesting();
    Outcome out = Exchange({.port = port(), .verb = c.verb, .object = "/status/" + c.status + "//final",
                            .body = c.verb == "POST" ? "b=2" : ""});
    EXPECT_EQ(out.body, c.expected);
    EXPECT_EQ(out.headers.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << out.headers;
  }
}

TEST_F(Redirects, LocationsResolveAgainstTheCurrentAddress) {
  ClearInternetCookiesForTesting();
  std::string absolute = server.Url("/abs");
  EXPECT_EQ(Exchange({.port = port(), .object = "/status/302/" + absolute}).body, "GET /abs  cookie=hop302=1");
  EXPECT_EQ(Exchange({.port = port(), .object = "/dir/go"}).body, "GET /rel?x=1  cookie=hop302=1");
}

TEST_F(Redirects, NoAutoRedirectAndOtherSchemesEndTheChain) {
  for (const std::string& object : {std::string("/status/302/ftp://127.0.0.1/x"), std::string("/status/302/mailto:a@b")}) {
    SCOPED_TRACE(object);
    Outcome out = Exchange({.port = port(), .object = object});
    EXPECT_TRUE(out.sent);
    EXPECT_EQ(out.body, "moved");
    EXPECT_EQ(out.headers.rfind("HTTP/1.1 302", 0), 0u);
  }
  Outcome kept = Exchange({.port = port(), .object = "/status/302//final", .flags = INTERNET_FLAG_NO_AUTO_REDIRECT});
  EXPECT_EQ(kept.body, "moved");
  EXPECT_NE(kept.headers.find("Location: /final\r\n"), std::string::npos);
}

TEST_F(Redirects, AfterThirtyRedirectsTheLastAnswerIsFinal) {
  EXPECT_EQ(Exchange({.port = port(), .object = "/r/30"}).body, "end");
  std::size_t before = server.RequestCount();
  Outcome out = Exchange({.port = port(), .object = "/r/40"});
  EXPECT_EQ(server.RequestCount() - before, 31u);
  EXPECT_TRUE(out.sent);
  EXPECT_NE(out.headers.find("Location: /r/9\r\n"), std::string::npos) << out.headers;
}

TEST_F(Redirects, CookiesOfARedirectGoWithLaterRequestsUnlessSwitchedOff) {
  Exchange({.port = port(), .object = "/status/302//final"});
  EXPECT_EQ(Exchange({.port = port(), .object = "/later"}).body, "GET /later  cookie=hop302=1");
  // Switched off: the store is neither read nor written, and the caller's
  // own line goes as written.
  Outcome own = Exchange({.port = port(), .object = "/status/307//final", .flags = INTERNET_FLAG_NO_COOKIES,
                          .headers = "Cookie: mine=1"});
  EXPECT_EQ(own.body, "GET /final  cookie=mine=1");
  EXPECT_EQ(Exchange({.port = port(), .object = "/later"}).body, "GET /later  cookie=hop302=1");
}

TEST_F(Redirects, CallersCookieLineStaysWithTheSiteItWasWrittenFor) {
  LoopbackServer elsewhere([](const ReceivedRequest& r, Peer& peer) {
    peer.Send(HttpAnswer(200, "", "cookie=" + r.Header("Cookie")));
  });
  std::string object = "/status/302/" + elsewhere.Url("/x");
  EXPECT_EQ(Exchange({.port = port(), .object = object, .flags = INTERNET_FLAG_NO_COOKIES,
                      .headers = "Cookie: secret=1"}).body,
            "cookie=");
  EXPECT_EQ(server.Requests().back().Header("Cookie"), "secret=1");
}

class Proxies : public WinINet {
 protected:
  LoopbackServer origin{AnswerHello};
  LoopbackServer proxy{[](const ReceivedRequest&, Peer& peer) { peer.Send(HttpAnswer(200, "", "via proxy")); }};
  std::string proxyList = "http=127.0.0.1:" + std::to_string(proxy.port());
};

TEST_F(Proxies, HttpGoesThroughTheNamedProxyWithAnAbsoluteAddress) {
  Outcome out = Exchange({.port = static_cast<INTERNET_PORT>(origin.port()), .object = "/p?q=1",
                          .accessType = INTERNET_OPEN_TYPE_PROXY, .proxyList = proxyList.c_str()});
  EXPECT_EQ(out.body, "via proxy");
  ASSERT_EQ(proxy.RequestCount(), 1u);
  EXPECT_EQ(proxy.Requests()[0].target, origin.Url("/p?q=1"));
  EXPECT_FALSE(proxy.Requests()[0].HasHeader("Proxy-Connection"));
  EXPECT_EQ(origin.RequestCount(), 0u);
}

TEST_F(Proxies, AnEmptyListAndDirectAccessGoDirect) {
  setenv("http_proxy", ("http://127.0.0.1:" + std::to_string(proxy.port())).c_str(), 1);
  EXPECT_EQ(Exchange({.port = static_cast<INTERNET_PORT>(origin.port()), .accessType = INTERNET_OPEN_TYPE_PROXY,
                      .proxyList = "http="}).body,
            "hello");
  EXPECT_EQ(Exchange({.port = static_cast<INTERNET_PORT>(origin.port())}).body, "hello");
  unsetenv("http_proxy");
  EXPECT_EQ(proxy.RequestCount(), 0u);
  EXPECT_EQ(origin.RequestCount(), 2u);
}

TEST_F(WinINet, BrokenAnswersFailTheReadOrTheSend) {
  std::string half(200000, 'h');
  LoopbackServer server([&](const ReceivedRequest& r, Peer& peer) {
    if (r.target == "/reset") {
      peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n" + half);
      peer.Hold(200);
      peer.Reset();
    } else if (r.target == "/truncated") {
      peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789");
    } else if (r.target == "/silent") {
      peer.Hold(10000);
    } else if (r.target == "/stalls") {
      peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nabc");
      peer.Hold(10000);
    } else if (r.target == "/nothing") {
      // closes without a word
    }
  });
  SetInternetTimeoutsForTesting(2000, 1000);
  INTERNET_PORT port = static_cast<INTERNET_PORT>(server.port());

  Outcome reset = Exchange({.port = port, .object = "/reset"});
  EXPECT_TRUE(reset.sent);
  EXPECT_FALSE(reset.lastRead);
  EXPECT_LE(reset.body.size(), half.size());

  Outcome truncated = Exchange({.port = port, .object = "/truncated"});
  EXPECT_TRUE(truncated.sent);
  EXPECT_EQ(truncated.body, "0123456789");
  EXPECT_FALSE(truncated.lastRead);

  Outcome stalls = Exchange({.port = port, .object = "/stalls"});
  EXPECT_EQ(stalls.body, "abc");
  EXPECT_FALSE(stalls.lastRead);

  for (const char* object : {"/silent", "/nothing"}) {
    SCOPED_TRACE(object);
    Outcome out = Exchange({.port = port, .object = object});
    EXPECT_FALSE(out.sent);
    EXPECT_TRUE(out.lastRead);  // a failed send leaves nothing to read
    EXPECT_EQ(out.body, "");
    EXPECT_EQ(out.headers, "");
  }

  Outcome refused = Exchange({.port = static_cast<INTERNET_PORT>(LoopbackServer::UnusedPort())});
  EXPECT_TRUE(refused.opened);
  EXPECT_FALSE(refused.sent);
  Outcome oddHost = Exchange({.host = "x.y?k=1", .port = port});  // could never be resolved
  EXPECT_FALSE(oddHost.sent);
  EXPECT_EQ(server.RequestCount(), 5u);
}

// Header bytes of one answer are bounded, wherever they come: its own header
// lines, interim 1xx answers before it, or trailers after a chunked body.
TEST_F(WinINet, FloodsOfHeaderBytesFailTheExchange) {
  const std::string line = "X-Flood: " + std::string(1000, 'f') + "\r\n";
  const int floodLines = 16 * 1024;  // 16 MiB, far past the bound
  LoopbackServer server([&](const ReceivedRequest& r, Peer& peer) {
    if (r.target == "/headers") {
      peer.Send("HTTP/1.1 200 OK\r\n");
      for (int i = 0; i < floodLines && peer.Send(line); ++i) {
      }
      peer.Send("Content-Length: 5\r\n\r\nhello");
    } else if (r.target == "/interim") {
      std::string interim;
      for (int i = 0; i < 1000; ++i) interim += "HTTP/1.1 100 Continue\r\n" + line + "\r\n";
      for (int i = 0; i < floodLines / 1000 && peer.Send(interim); ++i) {
      }
      peer.Send(HttpAnswer(200, "", "hello"));
    } else if (r.target == "/trailers") {
      peer.Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n");
      for (int i = 0; i < floodLines && peer.Send(line); ++i) {
      }
      peer.Send("\r\n");
    } else if (r.target == "/large") {  // a large but bounded head still passes
      std::string head = "HTTP/1.1 200 OK\r\n";
      for (int i = 0; i < 64; ++i) head += line;
      peer.Send(head + "Transfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n" + line + line + "\r\n");
    }
  });
  struct Case {
    std::string object;
    BOOL sent;
    std::string body;
    BOOL lastRead;
  } cases[] = {
      {"/headers", FALSE, "", TRUE},
      {"/interim", FALSE, "", TRUE},
      {"/trailers", TRUE, "hello", FALSE},  // the body came before the flood
      {"/large", TRUE, "hello", TRUE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.object);
    Outcome out = Exchange({.port = static_cast<INTERNET_PORT>(server.port()), .object = c.object});
    EXPECT_EQ(out.sent, c.sent);
    EXPECT_EQ(out.body, c.body);
    EXPECT_EQ(out.lastRead, c.lastRead);
  }
}

// A server that is never silent long enough for the idle time-out but sends
// next to nothing is cut off, while a slow but real link is not. The bounds
// are shortened: fewer than 2000 bytes in 600 ms is a trickle here.
TEST_F(WinINet, TrickleEndsTheExchangeASlowLinkDoesNot) {
  // Sends `total` bytes of `what` in pieces of `piece` every 50 ms.
  auto dribble = [](Peer& peer, std::string_view what, std::size_t piece) {
    for (std::size_t i = 0; i < what.size(); i += piece) {
      if (!peer.Send(what.substr(i, piece))) return;
      peer.Hold(50);
    }
  };
  const std::string slowBody(60000, 's');  // 20 KB/s for 3 s: ten times the floor
  const std::string trickleBody(60, 't');  // 20 B/s for 3 s
  LoopbackServer server([&](const ReceivedRequest& r, Peer& peer) {
    if (r.target == "/slow") {
      peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 60000\r\n\r\n");
      dribble(peer, slowBody, 1000);
    } else if (r.target == "/trickle") {
      peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 60\r\n\r\n");
      dribble(peer, trickleBody, 1);
    } else if (r.target == "/trickling-head") {
      dribble(peer, "HTTP/1.1 200 OK\r\nX-Padding: " + std::string(40, 'p') + "\r\nContent-Length: 2\r\n\r\nok", 1);
    }
  });
  SetInternetSlowTransferBoundForTesting(600, 2000);
  struct Case {
    std::string object;
    BOOL sent;
    std::string body;  // what arrives in full, or a prefix of what began to arrive
    BOOL lastRead;
  } cases[] = {
      {"/slow", TRUE, slowBody, TRUE},
      {"/trickle", TRUE, "t", FALSE},
      {"/trickling-head", FALSE, "", TRUE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.object);
    Outcome out = Exchange({.port = static_cast<INTERNET_PORT>(server.port()), .object = c.object});
    EXPECT_EQ(out.sent, c.sent);
    EXPECT_EQ(out.lastRead, c.lastRead);
    if (c.lastRead) {
      EXPECT_EQ(out.body, c.body);
    } else {
      EXPECT_EQ(out.body.rfind(c.body, 0), 0u) << out.body;
      EXPECT_LT(out.body.size(), trickleBody.size());
    }
  }
}

// Each way an exchange can fail leaves its own reason in the last-error
// value, on the call that failed; a call that succeeds leaves it alone.
TEST_F(WinINet, FailuresSayWhyInTheLastError) {
  const std::string flood = "X-Flood: " + std::string(1000, 'f') + "\r\n";
  LoopbackServer server([&](const ReceivedRequest& r, Peer& peer) {
    if (r.target == "/ok") {
      peer.Send(HttpAnswer(404, "", "gone"));  // an error status is still an answer
    } else if (r.target == "/reset") {
      peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n" + std::string(200000, 'h'));
      peer.Hold(200);
      peer.Reset();
    } else if (r.target == "/truncated") {
      peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789");
    } else if (r.target == "/silent") {
      peer.Hold(10000);
    } else if (r.target == "/trickle") {
      peer.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n");
      for (int i = 0; i < 100 && peer.Send("t"); ++i) peer.Hold(50);
    } else if (r.target == "/not-http") {
      peer.Send("SSH-2.0-OpenSSH_9.2\r\n\r\n");
    } else if (r.target == "/header-flood") {
      peer.Send("HTTP/1.1 200 OK\r\n");
      for (int i = 0; i < 16 * 1024 && peer.Send(flood); ++i) {
      }
    } else if (r.target == "/trailer-flood") {
      peer.Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nok\r\n0\r\n");
      for (int i = 0; i < 16 * 1024 && peer.Send(flood); ++i) {
      }
    }
    // "/nothing" closes without a word
  });
  SetInternetTimeoutsForTesting(2000, 1000);
  SetInternetSlowTransferBoundForTesting(600, 2000);
  const INTERNET_PORT port = static_cast<INTERNET_PORT>(server.port());
  const INTERNET_PORT refused = static_cast<INTERNET_PORT>(LoopbackServer::UnusedPort());
  struct Case {
    Request request;
    BOOL sent;
    DWORD sendError;
    BOOL lastRead;
    DWORD readError;
  } cases[] = {
      {{.port = port, .object = "/ok"}, TRUE, kUntouched, TRUE, kUntouched},
      {{.port = refused}, FALSE, ERROR_INTERNET_CANNOT_CONNECT, TRUE, kUntouched},
      {{.host = "share.example.invalid", .port = port}, FALSE, ERROR_INTERNET_NAME_NOT_RESOLVED, TRUE, kUntouched},
      {{.host = "x.y?k=1", .port = port}, FALSE, ERROR_INTERNET_NAME_NOT_RESOLVED, TRUE, kUntouched},
      {{.port = port, .object = "/silent"}, FALSE, ERROR_INTERNET_TIMEOUT, TRUE, kUntouched},
      {{.port = port, .object = "/nothing"}, FALSE, ERROR_HTTP_INVALID_SERVER_RESPONSE, TRUE, kUntouched},
      {{.port = port, .object = "/not-http"}, FALSE, ERROR_HTTP_INVALID_SERVER_RESPONSE, TRUE, kUntouched},
      {{.port = port, .object = "/header-flood"}, FALSE, ERROR_HTTP_INVALID_SERVER_RESPONSE, TRUE, kUntouched},
      {{.port = port, .object = "/reset"}, TRUE, kUntouched, FALSE, ERROR_INTERNET_CONNECTION_RESET},
      {{.port = port, .object = "/truncated"}, TRUE, kUntouched, FALSE, ERROR_INTERNET_CONNECTION_ABORTED},
      {{.port = port, .object = "/trickle"}, TRUE, kUntouched, FALSE, ERROR_INTERNET_TIMEOUT},
      {{.port = port, .object = "/trailer-flood"}, TRUE, kUntouched, FALSE, ERROR_HTTP_INVALID_SERVER_RESPONSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.request.host + " " + std::to_string(c.request.port) + " " + c.request.object);
    Outcome out = Exchange(c.request);
    ASSERT_TRUE(out.opened);
    EXPECT_EQ(out.sent, c.sent);
    EXPECT_EQ(out.sendError, c.sendError);
    EXPECT_EQ(out.lastRead, c.lastRead);
    EXPECT_EQ(out.readError, c.readError);
  }
}

TEST_F(WinINet, HandlesThatAreNoneOrOfAnotherKindAreTold) {
  HINTERNET internet = InternetOpenA("a", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET connection = InternetConnectA(internet, "127.0.0.1", 1, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  HINTERNET closed = HttpOpenRequestA(connection, "GET", "/", "HTTP/1.1", nullptr, nullptr, 0, 0);
  ASSERT_TRUE(InternetCloseHandle(closed));
  char buffer[16];
  DWORD count = sizeof buffer;
  struct Case {
    const char* call;
    std::function<bool()> fails;  // true when the call reports failure
    DWORD error;
  } cases[] = {
      {"connect on null", [&] { return !InternetConnectA(nullptr, "h", 80, nullptr, nullptr, 3, 0, 0); },
       ERROR_INVALID_HANDLE},
      {"connect on a connection",
       [&] { return !InternetConnectA(connection, "h", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0); },
       ERROR_INTERNET_INCORRECT_HANDLE_TYPE},
      {"open on an internet handle",
       [&] { return !HttpOpenRequestA(internet, "GET", "/", nullptr, nullptr, nullptr, 0, 0); },
       ERROR_INTERNET_INCORRECT_HANDLE_TYPE},
      {"send on a connection", [&] { return !HttpSendRequestA(connection, nullptr, 0, nullptr, 0); },
       ERROR_INTERNET_INCORRECT_HANDLE_TYPE},
      {"read on a closed request", [&] { return !InternetReadFile(closed, buffer, sizeof buffer, &count); },
       ERROR_INVALID_HANDLE},
      {"query on an internet handle",
       [&] { return !HttpQueryInfoA(internet, HTTP_QUERY_STATUS_CODE, buffer, &count, nullptr); },
       ERROR_INTERNET_INCORRECT_HANDLE_TYPE},
      {"close twice", [&] { return !InternetCloseHandle(closed); }, ERROR_INVALID_HANDLE},
      {"empty host", [&] { return !InternetConnectA(internet, "", 80, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0); },
       ERROR_INTERNET_INVALID_URL},
      {"control byte in the object",
       [&] { return !HttpOpenRequestA(connection, "GET", "/a\r\nX: 1", nullptr, nullptr, nullptr, 0, 0); },
       ERROR_INTERNET_INVALID_URL},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    SetLastError(kUntouched);
    EXPECT_TRUE(c.fails());
    EXPECT_EQ(GetLastError(), c.error);
  }
  InternetCloseHandle(connection);
  InternetCloseHandle(internet);
}

bool LibcurlIsLoaded() {
  std::ifstream maps("/proc/self/maps");
  std::string text((std::istreambuf_iterator<char>(maps)), std::istreambuf_iterator<char>());
  return text.find("/libcurl.so.4") != std::string::npos;
}

// A program that never goes online does not pay for libcurl's libraries at
// its start. Checked in a process started afresh (the death tests' own way),
// since any earlier exchange of this one has loaded the library.
TEST(WinINetLibrary, IsLoadedByTheFirstInternetHandleNotAtStart) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        bool atStart = LibcurlIsLoaded();
        HINTERNET internet = InternetOpenA("a", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
        bool afterOpen = LibcurlIsLoaded();
        std::fprintf(stderr, "at start %d, after the first handle %d\n", atStart, afterOpen);
        std::_Exit(!atStart && afterOpen && internet != nullptr ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "at start 0, after the first handle 1");
}

TEST_F(WinINet, WithoutLibcurlEverySendFailsAsAnInternalErrorAndNothingIsSent) {
  LoopbackServer server(AnswerHello);
  INTERNET_PORT port = static_cast<INTERNET_PORT>(server.port());
  SetInternetLibraryForTesting("liblinkpeel-no-such-library.so.0");
  Outcome out = Exchange({.port = port});
  EXPECT_TRUE(out.opened);
  EXPECT_FALSE(out.sent);
  EXPECT_EQ(out.sendError, ERROR_INTERNET_INTERNAL_ERROR);
  EXPECT_TRUE(out.lastRead);  // as after any failed send: nothing to read
  EXPECT_EQ(out.readError, kUntouched);
  EXPECT_EQ(out.body, "");
  EXPECT_EQ(out.headers, "");
  EXPECT_EQ(server.RequestCount(), 0u);

  SetInternetLibraryForTesting(nullptr);
  EXPECT_EQ(Exchange({.port = port}).body, "hello");
}

// What a caller needs to say why no page came: the final answer's status as
// text and as a number, and its reason phrase.
TEST_F(WinINet, QueriesGiveTheStatusAndSayWhatIsMissingOrTooSmall) {
  LoopbackServer server([](const ReceivedRequest& r, Peer& peer) {
    if (r.target == "/gone") {
      peer.Send("HTTP/1.1 404 Not Found\r\nTransfer-Encoding: chunked\r\n\r\n4\r\ngone\r\n0\r\n\r\n");
    } else if (r.target == "/moved") {
      peer.Send(HttpAnswer(302, "Location: /bare\r\n", ""));
    } else {
      peer.Send("HTTP/1.1 200\r\nContent-Length: 2\r\n\r\nok");
    }
  });
  struct Case {
    std::string object;
    DWORD level;
    DWORD bufferSize;
    BOOL ok;
    std::string text;  // the value written, for text levels
    DWORD number;      // for HTTP_QUERY_FLAG_NUMBER
    DWORD length;      // the length afterwards
    DWORD error;       // the last error afterwards
  } cases[] = {
      {"/gone", HTTP_QUERY_STATUS_CODE, 64, TRUE, "404", 0, 3, kUntouched},
      {"/gone", HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, 4, TRUE, "", 404, 4, kUntouched},
      {"/gone", HTTP_QUERY_STATUS_TEXT, 64, TRUE, "Not Found", 0, 9, kUntouched},
      {"/gone", HTTP_QUERY_STATUS_TEXT, 9, FALSE, "", 0, 10, ERROR_INSUFFICIENT_BUFFER},  // no room for the NUL
      {"/gone", HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, 2, FALSE, "", 0, 4, ERROR_INSUFFICIENT_BUFFER},
      {"/gone", HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, 4, FALSE, "", 0, 4, ERROR_HTTP_HEADER_NOT_FOUND},
      {"/moved", HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, 4, TRUE, "", 200, 4, kUntouched},  // the final one
      {"/bare", HTTP_QUERY_STATUS_TEXT, 64, TRUE, "", 0, 0, kUntouched},
      {"/bare", HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, 4, TRUE, "", 2, 4, kUntouched},
  };
  HINTERNET internet = InternetOpenA("a", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET connection = InternetConnectA(internet, "127.0.0.1", static_cast<INTERNET_PORT>(server.port()),
                                          nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.object + " level " + std::to_string(c.level) + " buffer " + std::to_string(c.bufferSize));
    HINTERNET request = HttpOpenRequestA(connection, "GET", c.object.c_str(), "HTTP/1.1", nullptr, nullptr, 0, 0);
    ASSERT_TRUE(HttpSendRequestA(request, nullptr, 0, nullptr, 0));
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    DWORD length = c.bufferSize;
    SetLastError(kUntouched);
    EXPECT_EQ(HttpQueryInfoA(request, c.level, buffer, &length, nullptr), c.ok);
    EXPECT_EQ(length, c.length);
    EXPECT_EQ(GetLastError(), c.error);
    if (c.ok && (c.level & HTTP_QUERY_FLAG_NUMBER) != 0) {
      DWORD number = 0;
      std::memcpy(&number, buffer, sizeof number);
      EXPECT_EQ(number, c.number);
    } else if (c.ok) {
      EXPECT_EQ(std::string(buffer), c.text);
    } else {
      EXPECT_EQ(buffer[0], '#');
    }
    InternetCloseHandle(request);
  }
  // Before the send there is no answer to ask about.
  HINTERNET unsent = HttpOpenRequestA(connection, "GET", "/", "HTTP/1.1", nullptr, nullptr, 0, 0);
  char buffer[64];
  DWORD length = sizeof buffer;
  EXPECT_FALSE(HttpQueryInfoA(unsent, HTTP_QUERY_STATUS_CODE, buffer, &length, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_INCORRECT_HANDLE_STATE);
  InternetCloseHandle(unsent);
  InternetCloseHandle(connection);
  InternetCloseHandle(internet);
}

// A TLS server from tests/servers/https_server.py with a certificate made
// here: signed by a test authority, or self-signed.
class Https : public WinINet {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/linkpeel-tls-XXXXXX";
    dir_ = mkdtemp(pattern);
    std::string d = dir_;
    std::string script =
        "cd " + d + " && exec >/dev/null 2>&1 && "
        "printf 'subjectAltName=IP:127.0.0.1\\n' > san.ext && "
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout ca.key -out ca.pem "
        "-days 2 -subj '/CN=Linkpeel Test CA' && "
        "openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout server.key -out server.csr "
        "-subj '/CN=127.0.0.1' && "
        "openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem -days 2 "
        "-extfile san.ext && "
        "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout self.key -out self.pem "
        "-days 2 -subj '/CN=127.0.0.1' -addext subjectAltName=IP:127.0.0.1";
    ASSERT_EQ(std::system(script.c_str()), 0);
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  struct Server {
    FILE* pipe = nullptr;
    int port = 0;
    int pid = 0;
    Server(const std::string& cert, const std::string& key) {
      std::string command = "exec python3 " LINKPEEL_SOURCE_DIR "/tests/servers/https_server.py " + cert + " " + key;
      pipe = popen(command.c_str(), "r");
      if (pipe == nullptr || std::fscanf(pipe, "%d %d", &port, &pid) != 2) port = 0;
    }
    ~Server() {
      if (pid > 0) kill(pid, SIGTERM);
      if (pipe != nullptr) pclose(pipe);
    }
  };

  static std::string dir_;
};
std::string Https::dir_;

TEST_F(Https, ServerOfATrustedAuthorityIsReachedDirectlyEvenWithAnHttpProxy) {
  Server server(dir_ + "/server.pem", dir_ + "/server.key");
  ASSERT_NE(server.port, 0);
  LoopbackServer proxy([](const ReceivedRequest&, Peer& peer) { peer.Send(HttpAnswer(200, "", "via proxy")); });
  std::string list = "http=127.0.0.1:" + std::to_string(proxy.port());
  setenv("SSL_CERT_FILE", (dir_ + "/ca.pem").c_str(), 1);
  Outcome out = Exchange({.port = static_cast<INTERNET_PORT>(server.port), .flags = INTERNET_FLAG_SECURE,
                          .accessType = INTERNET_OPEN_TYPE_PROXY, .proxyList = list.c_str()});
  unsetenv("SSL_CERT_FILE");
  EXPECT_TRUE(out.sent);
  EXPECT_EQ(out.body, "secure");
  EXPECT_EQ(proxy.RequestCount(), 0u);
}

TEST_F(Https, UntrustedServerIsRefused) {
  Server server(dir_ + "/self.pem", dir_ + "/self.key");
  ASSERT_NE(server.port, 0);
  setenv("SSL_CERT_FILE", (dir_ + "/ca.pem").c_str(), 1);
  Outcome untrusted = Exchange({.port = static_cast<INTERNET_PORT>(server.port), .flags = INTERNET_FLAG_SECURE});
  unsetenv("SSL_CERT_FILE");
  EXPECT_FALSE(untrusted.sent);
  EXPECT_EQ(untrusted.sendError, ERROR_INTERNET_INVALID_CA);
  EXPECT_EQ(untrusted.body, "");
  // Nor is the test authority trusted where the environment does not name it.
  Server signed_(dir_ + "/server.pem", dir_ + "/server.key");
  Outcome unnamed = Exchange({.port = static_cast<INTERNET_PORT>(signed_.port), .flags = INTERNET_FLAG_SECURE});
  EXPECT_FALSE(unnamed.sent);
  EXPECT_EQ(unnamed.sendError, ERROR_INTERNET_INVALID_CA);
}

TEST_F(Https, CertificateForAnotherNameIsRefused) {
  Server server(dir_ + "/server.pem", dir_ + "/server.key");  // made out to 127.0.0.1 alone
  ASSERT_NE(server.port, 0);
  setenv("SSL_CERT_FILE", (dir_ + "/ca.pem").c_str(), 1);
  Outcome out = Exchange({.host = "localhost", .port = static_cast<INTERNET_PORT>(server.port),
                          .flags = INTERNET_FLAG_SECURE});
  unsetenv("SSL_CERT_FILE");
  EXPECT_FALSE(out.sent);
  EXPECT_EQ(out.sendError, ERROR_INTERNET_SEC_CERT_CN_INVALID);
}

}  // namespace
