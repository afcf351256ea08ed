// Memory for pictures. A frame's runs touch a row, and so a page, each: on
// 4 KiB pages a 1080p picture spans 2,000 of them and every row is a TLB
// miss. Pictures of 2 MiB and more are therefore put on huge pages where the
// system gives them (transparent huge pages on request).
#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdlib>
#include <new>

namespace platform {

template <typename T>
struct PixelAllocator {
  using value_type = T;
  static constexpr size_t kHugePage = size_t{2} << 20;

  PixelAllocator() = default;
  template <typename U>
  PixelAllocator(const PixelAllocator<U>&) {}

  T* allocate(size_t n) {
    const size_t bytes = n * sizeof(T);
    if (bytes < kHugePage) return static_cast<T*>(::operator new(bytes));
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = std::aligned_alloc(kHugePage, rounded);
    if (!p) throw std::bad_alloc();
    ::madvise(p, rounded, MADV_HUGEPAGE);  // only a request: without it the pages are small
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t n) {
    if (n * sizeof(T) < kHugePage) {
      ::operator delete(p);
    } else {
      std::free(p);
    }
  }
  template <typename U>
  bool operator==(const PixelAllocator<U>&) const {
    return true;
  }
};

}  // namespace platform
