#include "services/huge_pages.h"

#include <cstdint>

#include <sys/mman.h>

namespace kvx {
namespace {

constexpr uintptr_t kPage = 4096;
constexpr uintptr_t kHugePage = uintptr_t(2) << 20;
constexpr size_t kWorthMapping = 64 * 1024;

// The whole `unit`-aligned units inside a block, so that nothing outside it
// is affected.
bool inner(const void* data, size_t bytes, uintptr_t unit, uintptr_t& start, uintptr_t& end) {
  start = (reinterpret_cast<uintptr_t>(data) + unit - 1) & ~(unit - 1);
  end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(unit - 1);
  return data && end > start;
}

}  // namespace

void preferHugePages(const void* data, size_t bytes) {
  uintptr_t start, end;
  if (bytes >= 2 * kHugePage && inner(data, bytes, kHugePage, start, end))
    madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
}

void prepareToFill(const void* data, size_t bytes) {
  if (bytes < kWorthMapping) return;
  preferHugePages(data, bytes);
  uintptr_t start, end;
  // Older kernels refuse the request; the pages then come one fault at a time.
  if (inner(data, bytes, kPage, start, end)) madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
}

}  // namespace kvx
