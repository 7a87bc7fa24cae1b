// A hint for large buffers: the memory of `size` bytes at `data`, not yet
// written, may be backed by large pages. A buffer of many megabytes otherwise
// costs one page fault per 4 KiB, which on some machines outweighs the work
// done in it. Only a hint: the bytes and their lifetime are the caller's.
#pragma once

#include <cstddef>

// The large page's size: a buffer that starts on such a boundary can sit on
// large pages whole.
inline constexpr std::size_t kLargePageSize = std::size_t{2} << 20;

void AdviseLargePages(void* data, std::size_t size);
