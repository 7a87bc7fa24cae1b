// The large-page hint on Windows: taken and ignored. Windows gives large pages
// only to VirtualAlloc with MEM_LARGE_PAGES, under a privilege that ordinary
// users lack, and never to memory that is already allocated.
#include "platform/Memory.h"

void AdviseLargePages(void* /*data*/, std::size_t /*size*/) {}
