// The page half of the resolving pipeline on a large share page: decode (%-escapes
// and UTF-8 to code page 936), cut the facts, build the download request.
// Goals: 200 MiB/s or more; peak memory at most 4 times the page.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "resolve/Resolve.h"

namespace {

constexpr size_t kPageBytes = 64u << 20;

// A share page as the service writes it, padded with mostly ASCII markup that
// has Chinese runs and %-escapes in it, the facts near the end.
const Bytes& BigPage() {
  static const Bytes page = [] {
    std::string filler =
        "<li class=\"item\"><a href=\"/s/1abc%2Fdef\">文件 report%20final</a><span>分享</span></li>\n";
    std::string tail =
        "<meta name=\"description\" content=\"文件名:%E5%AD%A3度报告.pdf 文件大小:1.5M 分享者:张三\">"
        "<div>分享时间：2014-03-18 10:20<span></span></div><script>yunData.linkUserName=\"张三\";"
        "FileUtils.share_uk=\"2889076181\";FileUtils.share_id=\"1283928463\";FileUtils.share_timestamp="
        "\"1394968831\";FileUtils.sts=1;FileUtils.share_sign=\"9d8f2e1a0c\";disk.ui.x=1;"
        "FileUtils.fsId=\"807312661286537\";disk.util=1;</script></body></html>";
    std::string page = "<!DOCTYPE html><html><body>";
    page.reserve(kPageBytes);
    while (page.size() + filler.size() + tail.size() < kPageBytes) page += filler;
    page += tail;
    return Bytes(page.data(), page.size());
  }();
  return page;
}

long ReadStatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(line.find(':') + 1));
  return -1;
}

void BM_SharePageToDownloadRequest(benchmark::State& state) {
  const Bytes& page = BigPage();
  for (auto _ : state) {
    state.PauseTiming();
    Bytes body = page;  // the body as the first exchange hands it over
    state.ResumeTiming();
    ShareFacts facts = ReadSharePage(std::move(body));
    DownloadRequest request = BuildDownloadRequest(facts);
    benchmark::DoNotOptimize(request);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_SharePageToDownloadRequest)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// One run with the peak resident size reset before it: how far above the
// memory of the body it was handed the pipeline goes, in multiples of the page.
void BM_SharePagePeakMemory(benchmark::State& state) {
  const Bytes& page = BigPage();
  for (auto _ : state) {
    Bytes body = page;
    { std::ofstream("/proc/self/clear_refs") << "5"; }  // resets VmHWM to the current size
    long before = ReadStatusKiB("VmRSS:");
    ShareFacts facts = ReadSharePage(std::move(body));
    DownloadRequest request = BuildDownloadRequest(facts);
    benchmark::DoNotOptimize(request);
    long peak = ReadStatusKiB("VmHWM:");
    state.counters["peak_over_page"] = static_cast<double>(peak - before) * 1024.0 / static_cast<double>(page.size());
  }
}
BENCHMARK(BM_SharePagePeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
