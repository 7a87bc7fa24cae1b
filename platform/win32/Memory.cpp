#include "platform/Memory.h"

void AdviseLargePages(void* /*data*/, std::size_t /*size*/) {}
