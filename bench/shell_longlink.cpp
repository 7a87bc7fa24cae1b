// Writing a long link into the result box the way the Parse action does, up
// to the window being ready for the next event: the text's layout is all the
// time there is, and it should grow with the link's length, not its square.
#include <QApplication>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "shell/qt/ControlText.h"
#include "shell/qt/MainWindow.h"

namespace {

// A link with nowhere a word could end: percent escapes, no slashes or blanks.
Text LongLink(std::size_t length) {
  std::string link = "http://d.pcs.baidu.com/file/9d8f?fid=807312661286537&fn=";
  while (link.size() < length) link += "%E5%AD%A3x";
  link.resize(length);
  return Text(link);
}

void WriteLongLink(benchmark::State& state) {
  const Text link = LongLink(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    SetControlText("编辑框5", link);
    QApplication::processEvents();
    state.PauseTiming();
    SetControlText("编辑框5", Text());
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(WriteLongLink)->Arg(1 << 10)->Arg(1 << 14)->Arg(1 << 16)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // The window installs its skin into drive C under the data folder: a
  // folder of the benchmark's own, removed at the end.
  std::filesystem::path dataHome = std::filesystem::temp_directory_path() / "linkpeel-bench-longlink";
  std::filesystem::create_directories(dataHome);
  setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
  QApplication application(argc, argv);
  QWidget* window = LoadMainWindow();
  if (window == nullptr) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  delete window;
  std::error_code ignored;
  std::filesystem::remove_all(dataHome, ignored);
  return 0;
}
