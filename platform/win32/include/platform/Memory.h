// A hint for large buffers: the memory of `size` bytes at `data`, not yet
// written, may be backed by large pages. Windows gives large pages only to
// VirtualAlloc with MEM_LARGE_PAGES and a privilege that ordinary users lack,
// never to memory already allocated, so here the hint is taken and ignored.
#pragma once

#include <cstddef>

// The large page's size on x86 Windows: a buffer that starts on such a
// boundary could sit on large pages whole.
inline constexpr std::size_t kLargePageSize = std::size_t{2} << 20;

void AdviseLargePages(void* data, std::size_t size);
