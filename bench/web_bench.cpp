// Whole-exchange figures for the web access routine, driven by web_bench.sh:
//
//   web_bench serve             a loopback server: /big (256 MiB), the same
//                               without Content-Length at /unannounced, /small;
//                               prints its port, runs until stdin closes
//   web_bench fetch URL         one WebAccess; prints the body size and the
//                               process's peak resident memory
//   web_bench loop N URL        N WebAccess calls in a row
//   web_bench curlloop N URL    the same N requests on libcurl itself, a
//                               fresh handle per request, no reuse
#include <curl/curl.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "tests/servers/LoopbackServer.h"
#include "web/WebAccess.h"

namespace {

constexpr std::size_t kBigBody = 256u << 20;

int Serve() {
  std::string big = HttpAnswer(200, "", std::string(kBigBody, 'b'));
  std::string unannounced = "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + std::string(kBigBody, 'b');
  std::string small = HttpAnswer(200, "", "small answer");
  LoopbackServer server([&](const ReceivedRequest& r, Peer& peer) {
    peer.Send(r.target == "/big" ? big : r.target == "/unannounced" ? unannounced : small);
  });
  std::cout << server.port() << std::endl;
  std::string line;
  while (std::getline(std::cin, line)) {
  }
  return 0;
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

size_t Discard(char*, size_t size, size_t count, void*) { return size * count; }

}  // namespace

int main(int argc, char** argv) {
  std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "serve") return Serve();
  if (mode == "fetch" && argc == 3) {
    Bytes body = WebAccess(Text(argv[2]));
    std::printf("body %zu bytes, peak %ld KiB, %.2f x body\n", body.size(), PeakKilobytes(),
                body.empty() ? 0.0 : PeakKilobytes() * 1024.0 / static_cast<double>(body.size()));
    return body.empty() ? 1 : 0;
  }
  if (mode == "loop" && argc == 4) {
    int n = std::atoi(argv[2]);
    Text url(argv[3]);
    std::size_t total = 0;
    for (int i = 0; i < n; ++i) total += WebAccess(url).size();
    return total == 0 ? 1 : 0;
  }
  if (mode == "curlloop" && argc == 4) {
    int n = std::atoi(argv[2]);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    for (int i = 0; i < n; ++i) {
      CURL* e = curl_easy_init();
      curl_easy_setopt(e, CURLOPT_URL, argv[3]);
      curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, Discard);
      curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
      if (curl_easy_perform(e) != CURLE_OK) return 1;
      curl_easy_cleanup(e);
    }
    return 0;
  }
  std::fprintf(stderr, "usage: web_bench serve | fetch URL | loop N URL | curlloop N URL\n");
  return 2;
}
