#include "cli/Progress.h"

#include <cstdio>
#include <iostream>

namespace {

constexpr auto kRedraw = std::chrono::milliseconds(250);

std::string Format(const char* pattern, double value, const char* unit) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, pattern, value, unit);
  return buffer;
}

}  // namespace

std::string FormatBytes(std::int64_t bytes) {
  static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
  if (bytes < 1024) return std::to_string(bytes) + " B";
  double value = static_cast<double>(bytes);
  int unit = -1;
  while (value >= 1024 && unit < 3) {
    value /= 1024;
    ++unit;
  }
  return Format(value < 10 ? "%.2f %s" : value < 100 ? "%.1f %s" : "%.0f %s", value, kUnits[unit]);
}

std::string ProgressText(std::int64_t bytes, std::int64_t total, std::int64_t resumedFrom, double seconds) {
  std::string text = FormatBytes(bytes);
  if (total > 0) {
    text += " of " + FormatBytes(total) + "  " + std::to_string(bytes * 100 / total) + "%";
  }
  double speed = seconds > 0 ? static_cast<double>(bytes - resumedFrom) / seconds : 0;
  if (speed >= 1) {
    text += "  " + FormatBytes(static_cast<std::int64_t>(speed)) + "/s";
    if (total > 0 && bytes <= total) {
      auto left = static_cast<std::int64_t>(static_cast<double>(total - bytes) / speed + 0.5);
      char buffer[32];
      if (left >= 3600) {
        std::snprintf(buffer, sizeof buffer, "  %lld:%02lld:%02lld left", static_cast<long long>(left / 3600),
                      static_cast<long long>(left / 60 % 60), static_cast<long long>(left % 60));
      } else {
        std::snprintf(buffer, sizeof buffer, "  %lld:%02lld left", static_cast<long long>(left / 60),
                      static_cast<long long>(left % 60));
      }
      text += buffer;
    }
  }
  return text;
}

void ProgressLine::Update(std::int64_t bytes, std::int64_t total, std::int64_t resumedFrom) {
  if (!onTerminal) return;
  auto now = std::chrono::steady_clock::now();
  bool last = total >= 0 && bytes >= total;
  if (drawn && !last && now - lastDrawn < kRedraw) return;
  lastDrawn = now;
  drawn = true;
  double seconds = std::chrono::duration<double>(now - start).count();
  // CR goes back to the line's start; ESC [K wipes what a longer text left.
  std::cerr << '\r' << ProgressText(bytes, total, resumedFrom, seconds) << "\x1b[K" << std::flush;
}

void ProgressLine::Clear() {
  if (!drawn) return;
  std::cerr << "\r\x1b[K" << std::flush;
  drawn = false;
}
