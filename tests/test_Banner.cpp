#include "shell/qt/Banner.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Banner, IsAProgressiveJpegOf450By131) {
  std::string_view jpeg = BannerJpeg();
  ASSERT_GT(jpeg.size(), 4u);
  EXPECT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
  EXPECT_NE(jpeg.find("\xFF\xC2"), std::string_view::npos);  // start of a progressive frame

  QImage banner = DecodeJpeg(jpeg);
  ASSERT_FALSE(banner.isNull());
  EXPECT_EQ(banner.width(), 450);
  EXPECT_EQ(banner.height(), 131);
  // A blue background: the top-right corner, away from the emblem and the name.
  QColor corner = banner.pixelColor(445, 4);
  EXPECT_GT(corner.blue(), corner.red() + 60);
}

// libjpeg's own reaction to bad data is to end the process; a picture that
// cannot be decoded must only give a null image.
TEST(DecodeJpeg, GivesANullImageForWhatItCannotDecode) {
  std::string_view banner = BannerJpeg();
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"not a JPEG", "GIF89a and then some more bytes"},
      {"cut in its header", std::string(banner.substr(0, 60))},
      {"a JPEG start and nothing else", "\xFF\xD8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(DecodeJpeg(c.bytes).isNull());
  }
}

TEST(DecodeJpeg, DecodesWhatRemainsOfACutPicture) {
  // libjpeg fills in what is missing at the end of the data: the picture keeps its size.
  std::string_view banner = BannerJpeg();
  QImage cut = DecodeJpeg(banner.substr(0, banner.size() * 2 / 3));
  ASSERT_FALSE(cut.isNull());
  EXPECT_EQ(cut.size(), QSize(450, 131));
}

}  // namespace
