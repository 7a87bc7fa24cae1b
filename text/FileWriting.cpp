// WriteBytesToFile over the platform's file writing.
#include <algorithm>
#include <climits>

#include "platform/Files.h"
#include "text/Text.h"

bool WriteBytesToFile(const Text& path, std::initializer_list<const Bytes*> parts) {
  if (path.empty()) return false;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool written = true;
  for (const Bytes* part : parts) {
    if (part == nullptr) continue;
    // WriteFile counts in 32 bits; a larger part goes in slices.
    for (std::size_t done = 0; written && done < part->size();) {
      DWORD slice = static_cast<DWORD>(std::min<std::size_t>(part->size() - done, UINT_MAX / 2 + 1));
      DWORD count = 0;
      written = WriteFile(file, part->data() + done, slice, &count, nullptr) && count == slice;
      done += slice;
    }
    if (!written) break;
  }
  bool closed = CloseHandle(file);
  return written && closed;
}
