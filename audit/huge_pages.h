// Memory in huge pages for the large buffers of one generation (the element
// arena, the sort keys, the noted look-ups and their answers). A million-row
// list touches a few hundred megabytes once; in 4 KB pages that is some
// hundred thousand page faults, a good part of the run on a virtual machine.
// Regions are mapped on 2 MB boundaries and offered to the kernel for huge
// pages (only advice: without them the memory works the same). For the
// audit core's own buffers.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

namespace audit_detail {

inline constexpr size_t kHugePage = size_t{2} << 20;

// bytes rounded up to whole huge pages, fresh (zero) memory on a huge-page
// boundary. Throws std::bad_alloc as new does.
void* MapHuge(size_t bytes);
// Gives back what MapHuge(bytes) returned (same bytes).
void UnmapHuge(void* p, size_t bytes);

// An allocator for vectors that may grow large: blocks of a huge page or
// more come from MapHuge, smaller ones from the heap.
template <class T>
struct HugePageAllocator {
  using value_type = T;
  HugePageAllocator() = default;
  template <class U>
  HugePageAllocator(const HugePageAllocator<U>&) {}  // NOLINT: converting, as allocators are
  T* allocate(size_t n) {
    if (n * sizeof(T) < kHugePage) return std::allocator<T>().allocate(n);
    return static_cast<T*>(MapHuge(n * sizeof(T)));
  }
  void deallocate(T* p, size_t n) {
    if (n * sizeof(T) < kHugePage) {
      std::allocator<T>().deallocate(p, n);
    } else {
      UnmapHuge(p, n * sizeof(T));
    }
  }
  template <class U>
  bool operator==(const HugePageAllocator<U>&) const {
    return true;
  }
};

template <class T>
using HugeVector = std::vector<T, HugePageAllocator<T>>;

}  // namespace audit_detail
