// A hint for large buffers: the memory of `size` bytes at `data`, not yet
// written, may be backed by large pages. A buffer of many megabytes otherwise
// costs one page fault per 4 KiB, which on some machines outweighs the work
// done in it. Only a hint: the bytes and their lifetime are the caller's.
#pragma once

#include <cstddef>

void AdviseLargePages(void* data, std::size_t size);
