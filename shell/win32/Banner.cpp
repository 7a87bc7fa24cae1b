#include "shell/win32/Banner.h"

#include <wincodec.h>

#include "shell/Embed.h"

// The path comes from the build as LINKPEEL_BANNER_FILE.
LINKPEEL_EMBED(linkpeelBanner, LINKPEEL_BANNER_FILE);

namespace {

// Releases a COM interface at the end of its scope.
template <typename T>
struct Held {
  T* p = nullptr;
  ~Held() {
    if (p != nullptr) p->Release();
  }
};

}  // namespace

std::string_view BannerJpeg() {
  return {linkpeelBannerBegin, static_cast<std::size_t>(linkpeelBannerEnd - linkpeelBannerBegin)};
}

HBITMAP DecodeJpeg(std::string_view jpeg) {
  if (jpeg.empty() || jpeg.size() > 0x7fffffff) return nullptr;
  Held<IWICImagingFactory> factory;
  Held<IWICStream> stream;
  Held<IWICBitmapDecoder> decoder;
  Held<IWICBitmapFrameDecode> frame;
  Held<IWICBitmapSource> pixels;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&factory.p))) ||
      FAILED(factory.p->CreateStream(&stream.p)) ||
      FAILED(stream.p->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(jpeg.data())),
                                            static_cast<DWORD>(jpeg.size()))) ||
      FAILED(factory.p->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand, &decoder.p)) ||
      FAILED(decoder.p->GetFrame(0, &frame.p)) ||
      FAILED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGR, frame.p, &pixels.p)))
    return nullptr;
  UINT width = 0, height = 0;
  if (FAILED(pixels.p->GetSize(&width, &height)) || width == 0 || height == 0 || width > 0x4000 || height > 0x4000)
    return nullptr;

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = static_cast<LONG>(width);
  info.bmiHeader.biHeight = -static_cast<LONG>(height);  // top-down, as WIC gives the rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return nullptr;
  UINT stride = width * 4;
  if (FAILED(pixels.p->CopyPixels(nullptr, stride, stride * height, static_cast<BYTE*>(bits)))) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}
