// The progress line of a download on a terminal: bytes done and total,
// percent, speed and time left, redrawn in place at most four times a second.
// Off (nothing written) when standard error is not a terminal.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

//   1536 => "1.5 KiB"   1073741824 => "1.00 GiB"   512 => "512 B"
std::string FormatBytes(std::int64_t bytes);

// The line's text. resumedFrom bytes were on disk before this run, so they do
// not count toward the speed.
//   (50 MiB, 100 MiB, 0, 5 s) => "50.0 MiB of 100 MiB  50%  10.0 MiB/s  0:05 left"
//   (3 KiB, -1, 0, 1 s)       => "3.0 KiB  3.0 KiB/s"
std::string ProgressText(std::int64_t bytes, std::int64_t total, std::int64_t resumedFrom, double seconds);

struct ProgressLine {
  explicit ProgressLine(bool onTerminal) : onTerminal(onTerminal) {}
  void Update(std::int64_t bytes, std::int64_t total, std::int64_t resumedFrom);
  void Clear();  // wipes the line so that the next text starts on a clean one

  bool onTerminal;
  bool drawn = false;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point lastDrawn{};
};
