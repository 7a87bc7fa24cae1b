// The progress line's text: sizes, percent, speed and time left.
#include "cli/Progress.h"

#include <gtest/gtest.h>

namespace {

constexpr std::int64_t KiB = 1024, MiB = 1024 * KiB, GiB = 1024 * MiB;

TEST(Progress, SizesReadLikeSizes) {
  struct Row {
    std::int64_t bytes;
    const char* text;
  } rows[] = {{0, "0 B"}, {1023, "1023 B"}, {1536, "1.50 KiB"}, {50 * MiB, "50.0 MiB"},
              {1000 * MiB, "1000 MiB"}, {GiB, "1.00 GiB"}, {5 * 1024 * GiB, "5.00 TiB"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bytes);
    EXPECT_EQ(FormatBytes(row.bytes), row.text);
  }
}

TEST(Progress, LineShowsWhatIsKnown) {
  struct Row {
    std::int64_t bytes, total, resumedFrom;
    double seconds;
    const char* text;
  } rows[] = {
      {50 * MiB, 100 * MiB, 0, 5, "50.0 MiB of 100 MiB  50%  10.0 MiB/s  0:05 left"},
      {3 * KiB, -1, 0, 1, "3.00 KiB  3.00 KiB/s"},                               // no length announced
      {60 * MiB, 100 * MiB, 50 * MiB, 1, "60.0 MiB of 100 MiB  60%  10.0 MiB/s  0:04 left"},  // resumed bytes are no speed
      {0, 100, 0, 0, "0 B of 100 B  0%"},                                       // no speed yet: no time left
      {MiB, 8000 * MiB, 0, 1, "1.00 MiB of 7.81 GiB  0%  1.00 MiB/s  2:13:19 left"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ProgressText(row.bytes, row.total, row.resumedFrom, row.seconds), row.text);
  }
}

}  // namespace
