#include "platform/Memory.h"

#include <sys/mman.h>

#include <cstdint>

void AdviseLargePages(void* data, std::size_t size) {
  constexpr std::uintptr_t kLargePage = 2u << 20;
  auto begin = (reinterpret_cast<std::uintptr_t>(data) + kLargePage - 1) & ~(kLargePage - 1);
  auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kLargePage - 1);
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
