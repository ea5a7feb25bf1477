#include "services/huge_pages.h"

#include <cstdint>

#include <sys/mman.h>

namespace kvx {

void preferHugePages(const void* data, size_t bytes) {
  constexpr uintptr_t kHugePage = uintptr_t(2) << 20;
  if (!data || bytes < 2 * kHugePage) return;
  // Only whole huge pages inside the block, so that nothing outside it changes.
  const uintptr_t start = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHugePage - 1);
  if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

}  // namespace kvx
