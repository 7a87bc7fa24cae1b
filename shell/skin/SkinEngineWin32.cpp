// Our skin engine on Windows: jedata.dll, with one operation,
//
//   extern "C" int SkinH_AttachEx(const char* skinPath, const char* password)
//
// which reads a .she skin file (SkinFile.h). Results, as on Linux:
//   0 attached   1 bad arguments   2 no file to read   3 not a skin of ours
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/skin/SkinFile.h"

namespace {

constexpr DWORD kLargestSkin = 1 << 20;

enum class Read { kRead, kNoFile, kNotSkin };

Read ReadWholeFile(const char* path, std::string& bytes) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Read::kNoFile;
  LARGE_INTEGER size{};
  Read result = Read::kNotSkin;
  if (GetFileSizeEx(file, &size) && size.QuadPart <= kLargestSkin) {
    bytes.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (bytes.empty() || (ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size())) {
      result = Read::kRead;
    }
  }
  CloseHandle(file);
  return result;
}

}  // namespace

extern "C" __declspec(dllexport) int SkinH_AttachEx(const char* skinPath, const char* password) {
  (void)password;
  if (skinPath == nullptr) return 1;
  std::string bytes;
  switch (ReadWholeFile(skinPath, bytes)) {
    case Read::kNoFile: return 2;
    case Read::kNotSkin: return 3;
    case Read::kRead: break;
  }
  if (!UnpackSkinFile(bytes)) return 3;
  return 0;
}
