#pragma once
// Large arrays of scene data are filled once, right after they are
// allocated, and the first touch of fresh memory costs one page fault per
// 4 KiB page: on virtual machines that is slower than inflating or parsing
// the same bytes. Huge pages take one fault per 2 MiB, and mapping a block's
// pages in one call avoids the faults altogether.
#include <cstddef>
#include <vector>

namespace kvx {

// Asks the kernel to back the untouched block [data, data + bytes) with huge
// pages where it can (blocks of a few MiB and more).
void preferHugePages(const void* data, size_t bytes);

// For a block about to be filled whole: huge pages where possible, and all
// of its pages mapped at once. Small blocks are left alone.
void prepareToFill(const void* data, size_t bytes);

// Reserves room for `count` elements that are about to be filled.
template <typename T>
void reserveToFill(std::vector<T>& v, size_t count) {
  if (count <= v.capacity()) return;
  v.reserve(count);
  prepareToFill(v.data(), count * sizeof(T));
}

}  // namespace kvx
