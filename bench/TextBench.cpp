// Speed of the text primitives on whole pages. FindText is set against memmem
// over the same bytes in the same run; the others run at 1 MiB and 16 MiB so
// that their growth shows (bench/text_figures.sh prints the ratios).
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "bench/PageMaker.h"
#include "text/Markers.h"
#include "text/PercentCodes.h"
#include "text/Text.h"

namespace {

constexpr std::size_t kMiB = 1 << 20;

const Text& AsciiPage(std::size_t size) {
  static const Text small(page_maker::MarkupPage(kMiB, false));
  static const Text large(page_maker::MarkupPage(16 * kMiB, false));
  return size == kMiB ? small : large;
}

const Text& WidePage() {
  static const Text page(page_maker::WidePage(16 * kMiB));
  return page;
}

const Text& Utf8Page(std::size_t size) {
  static const Text small(page_maker::MarkupPage(kMiB, true));
  static const Text large(page_maker::MarkupPage(16 * kMiB, true));
  return size == kMiB ? small : large;
}

void FindInPage(benchmark::State& state, const Text& page, const std::string& marker) {
  Text sought(marker);
  for (auto _ : state) benchmark::DoNotOptimize(FindText(page, sought));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * page.size());
  state.counters["position"] = FindText(page, sought);
}

void MemmemInPage(benchmark::State& state, const Text& page, const std::string& marker) {
  for (auto _ : state) benchmark::DoNotOptimize(memmem(page.data(), page.size(), marker.data(), marker.size()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * page.size());
}

void BM_FindText_Ascii(benchmark::State& state) { FindInPage(state, AsciiPage(16 * kMiB), page_maker::kAsciiMarker); }
void BM_Memmem_Ascii(benchmark::State& state) { MemmemInPage(state, AsciiPage(16 * kMiB), page_maker::kAsciiMarker); }
void BM_FindText_Wide(benchmark::State& state) { FindInPage(state, WidePage(), page_maker::kWideMarker); }
void BM_Memmem_Wide(benchmark::State& state) { MemmemInPage(state, WidePage(), page_maker::kWideMarker); }

void BM_TextBetween(benchmark::State& state) {
  const Text& page = AsciiPage(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(TextBetween(page, "share_uk=\"", "\""));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * page.size());
}

void BM_ReplaceText(benchmark::State& state) {
  const Text& page = AsciiPage(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(ReplaceText(page, "&amp;", "&", 1, -1, true));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * page.size());
}

void BM_SplitText(benchmark::State& state) {
  const Text& page = AsciiPage(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(SplitText(page, "\n"));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * page.size());
}

void BM_PercentDecode(benchmark::State& state) {
  const Text& page = Utf8Page(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(PercentDecode(page));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * page.size());
}

void BM_PercentDecode_Utf8(benchmark::State& state) {
  const Text& page = Utf8Page(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(PercentDecode(page, true));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * page.size());
}

}  // namespace

BENCHMARK(BM_FindText_Ascii)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memmem_Ascii)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindText_Wide)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Memmem_Wide)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextBetween)->Arg(kMiB)->Arg(16 * kMiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceText)->Arg(kMiB)->Arg(16 * kMiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitText)->Arg(kMiB)->Arg(16 * kMiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PercentDecode)->Arg(kMiB)->Arg(16 * kMiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PercentDecode_Utf8)->Arg(kMiB)->Arg(16 * kMiB)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
