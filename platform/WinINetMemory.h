// A hint for the large buffers that hold downloaded bodies: the memory of
// `size` bytes at `data`, not yet written, may be backed by large pages. A
// body of hundreds of megabytes otherwise costs one page fault per 4 KiB,
// which on some machines outweighs the transfer itself. Only a hint: the
// bytes and their lifetime are the caller's as before.
#pragma once

#include <cstddef>

void AdviseLargePages(void* data, std::size_t size);
