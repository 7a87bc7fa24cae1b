#include "platform/Memory.h"

#include <sys/mman.h>

#include <cstdint>

void AdviseLargePages(void* data, std::size_t size) {
  constexpr std::uintptr_t mask = kLargePageSize - 1;
  auto begin = (reinterpret_cast<std::uintptr_t>(data) + mask) & ~mask;
  auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~mask;
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
