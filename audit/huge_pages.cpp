#include "audit/huge_pages.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace audit_detail {

namespace {
size_t RoundUp(size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }
}  // namespace

void* MapHuge(size_t bytes) {
  bytes = RoundUp(bytes);
  // One huge page more than asked, so that a huge-page boundary lies inside;
  // the parts before and after it are given back.
  void* p = mmap(nullptr, bytes + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                 -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  const uintptr_t start = reinterpret_cast<uintptr_t>(p);
  const uintptr_t aligned = (start + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t end = start + bytes + kHugePage;
  if (aligned > start) munmap(p, aligned - start);
  if (end > aligned + bytes) munmap(reinterpret_cast<void*>(aligned + bytes), end - (aligned + bytes));
#ifdef MADV_HUGEPAGE
  madvise(reinterpret_cast<void*>(aligned), bytes, MADV_HUGEPAGE);
#endif
  return reinterpret_cast<void*>(aligned);
}

void UnmapHuge(void* p, size_t bytes) {
  if (p != nullptr) munmap(p, RoundUp(bytes));
}

}  // namespace audit_detail
