// CutShareFacts on a large page whose facts sit near its end: nine marker
// searches over the whole page each.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/PageMaker.h"
#include "resolve/ShareFormats.h"

namespace {

const Text& SharePage() {
  static const Text page = [] {
    std::string markup = page_maker::MarkupPage(16 << 20, false);
    std::string facts = "linkUserName=\"bob\";share_uk=\"1\";share_id=\"2\";FileUtils share_timestamp=\"3\";FileUtils "
                        "share_sign=\"4\";disk.ui fsId=\"5\";disk";
    markup.replace(markup.size() - 4000, facts.size(), facts);
    return Text(markup);
  }();
  return page;
}

void BM_CutShareFacts(benchmark::State& state) {
  const Text& page = SharePage();
  for (auto _ : state) benchmark::DoNotOptimize(CutShareFacts(page));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * page.size());
}

}  // namespace

BENCHMARK(BM_CutShareFacts)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
