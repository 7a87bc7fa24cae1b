// The banner picture: a progressive JPEG of 450 x 131 pixels kept in the
// program (assets/banner.jpg), and the decoding that turns it into pixels.
#pragma once

#include <QImage>

#include <string_view>

// The banner's JPEG bytes, as the program carries them.
std::string_view BannerJpeg();

// Decodes a baseline or progressive JPEG into an RGB image of its own size.
// Anything libjpeg cannot decode (truncated, damaged, not a JPEG, empty) gives
// a null QImage; the process never ends over a bad picture.
QImage DecodeJpeg(std::string_view jpeg);
