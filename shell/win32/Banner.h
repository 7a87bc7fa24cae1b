// The banner picture: a progressive JPEG of 450 x 131 pixels kept in the
// program (assets/banner.jpg), decoded by the platform's own decoder (WIC).
#pragma once

#include <windows.h>

#include <string_view>

std::string_view BannerJpeg();

// A top-down 32-bit DIB section of the picture's own size; null when the
// bytes are no picture the platform can decode. The caller deletes it.
// Needs COM initialised on the calling thread.
HBITMAP DecodeJpeg(std::string_view jpeg);
