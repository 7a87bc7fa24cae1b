// The one place where Text, Bytes and TextList obtain memory. A request that
// cannot be met raises the fatal run-time error with code 0 and the message
// "分配 %d 字节内存失败!" for the byte count asked for; no caller ever sees a
// failed allocation.
#pragma once

#include <cstddef>
#include <new>

#include "platform/Memory.h"

[[noreturn]] void RaiseOutOfMemory(std::size_t bytesAsked);

template <class T>
struct CheckedAllocator {
  using value_type = T;
  // Share pages and bodies of many megabytes are filled right after they are
  // allocated; past this size their memory is offered large pages.
  static constexpr std::size_t kLargeAllocation = std::size_t{4} << 20;

  CheckedAllocator() = default;
  template <class U>
  CheckedAllocator(const CheckedAllocator<U>&) noexcept {}  // NOLINT(google-explicit-constructor)

  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) RaiseOutOfMemory(static_cast<std::size_t>(-1));
    void* p = ::operator new(n * sizeof(T), std::nothrow);
    if (p == nullptr) RaiseOutOfMemory(n * sizeof(T));
    if (n * sizeof(T) >= kLargeAllocation) AdviseLargePages(p, n * sizeof(T));
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t) noexcept { ::operator delete(p); }

  template <class U>
  friend bool operator==(const CheckedAllocator&, const CheckedAllocator<U>&) noexcept { return true; }
};
