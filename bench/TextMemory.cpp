// Peak memory of PercentDecode with the UTF-8 step on a 16 MiB page, in a
// fresh process: the growth of the peak resident set over what the page itself
// holds, as a multiple of the page's size.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "bench/PageMaker.h"
#include "text/PercentCodes.h"

namespace {

long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(line.find(':') + 1));
  return -1;
}

}  // namespace

int main() {
  const std::size_t size = std::size_t{16} << 20;
  Text page(page_maker::MarkupPage(size, true));
  // Forget the peak of building the page, so that only the call counts.
  bool reset = static_cast<bool>(std::ofstream("/proc/self/clear_refs") << "5");
  long before = StatusKiB(reset ? "VmRSS:" : "VmHWM:");
  auto started = std::chrono::steady_clock::now();
  Text result = PercentDecode(page, true);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  long peak = StatusKiB("VmHWM:");
  double growth = static_cast<double>(peak - before) * 1024.0 / static_cast<double>(size);
  std::printf("page %zu bytes, result %zu bytes, peak growth %ld KiB = %.2f x page (%s)\n", size, result.size(),
              peak - before, growth, reset ? "peak reset before the call" : "peak not resettable");
  std::printf("first call in a fresh process, page faults included: %.1f ms = %.0f MiB/s\n", seconds * 1e3,
              static_cast<double>(size) / (1 << 20) / seconds);
  return 0;
}
