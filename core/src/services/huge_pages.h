#pragma once
// Large arrays of scene data are filled once, right after they are
// allocated, and the first touch of fresh memory costs one page fault per
// 4 KiB page: on virtual machines that is slower than inflating or parsing
// the same bytes. Huge pages take one fault per 2 MiB.
#include <cstddef>
#include <vector>

namespace kvx {

// Asks the kernel to back the untouched block [data, data + bytes) with huge
// pages where it can; blocks below a few MiB are left alone.
void preferHugePages(const void* data, size_t bytes);

// Reserves room for `count` elements, asking for huge pages before any is
// touched.
template <typename T>
void reserveHuge(std::vector<T>& v, size_t count) {
  if (count <= v.capacity()) return;
  v.reserve(count);
  preferHugePages(v.data(), count * sizeof(T));
}

}  // namespace kvx
