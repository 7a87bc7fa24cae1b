// JPEG decoding over libjpeg. libjpeg reports a fatal decoding error by
// calling error_exit, whose default ends the process; ours jumps back to the
// decoder instead. Only C frames (libjpeg's) lie between the setjmp and the
// longjmp, and no object of ours is changed between them.
#include "shell/qt/Banner.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "shell/Embed.h"

// The path comes from the build as LINKPEEL_BANNER_FILE.
LINKPEEL_EMBED(linkpeelBanner, LINKPEEL_BANNER_FILE);

namespace {

struct JumpingErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

void JumpBack(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JumpingErrors*>(info->err)->jump, 1);
}

void StayQuiet(j_common_ptr /*info*/) {}  // warnings about recoverable damage are not ours to print

// Decodes into `*image`; false when libjpeg gives up. `image` lives in the
// caller's frame, so the jump cannot leave it half-made in ours.
bool Decode(std::string_view jpeg, QImage* image) {
  jpeg_decompress_struct info;
  JumpingErrors errors;
  info.err = jpeg_std_error(&errors.manager);
  errors.manager.error_exit = JumpBack;
  errors.manager.output_message = StayQuiet;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.data()),
               static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  *image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                  QImage::Format_RGB888);
  if (image->isNull()) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image->scanLine(static_cast<int>(info.output_scanline));
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

std::string_view BannerJpeg() {
  return {linkpeelBannerBegin, static_cast<std::size_t>(linkpeelBannerEnd - linkpeelBannerBegin)};
}

QImage DecodeJpeg(std::string_view jpeg) {
  if (jpeg.empty()) return {};
  QImage image;
  if (!Decode(jpeg, &image)) return {};
  return image;
}
