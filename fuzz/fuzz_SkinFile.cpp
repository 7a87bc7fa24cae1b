// Any bytes as a skin file, twice: as they come, and as the body of a file
// whose header (length, checksum, a section count from the first two bytes)
// is made right, so that the section walk itself is reached. Unpacking
// answers a whole file or nothing and never reads past its input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "shell/skin/SkinFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  UnpackSkinFile(input);

  if (size < 2) return 0;
  std::string_view body = input.substr(2);
  std::string file = ".SHE";
  file += std::string("\x01\x00", 2);
  file += input.substr(0, 2);
  for (std::uint32_t v : {static_cast<std::uint32_t>(body.size()), SkinChecksum(body)}) {
    for (int shift = 0; shift < 32; shift += 8) file += static_cast<char>((v >> shift) & 0xFF);
  }
  file += body;
  auto sections = UnpackSkinFile(file);
  if (sections && PackSkinFile(*sections) != file) __builtin_trap();  // what is taken packs back the same
  return 0;
}
