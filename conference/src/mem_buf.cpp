#include "mem_buf.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace kvx::conf {

MemBuf::MemBuf() : data_(inline_), capacity_(kInlineSize), end_(inline_) {}

MemBuf::~MemBuf() {
  if (onHeap()) std::free(data_);
}

bool MemBuf::growFor(int n) {
  const int used = size();
  if (n < 0 || n > INT_MAX / 2 - used) return false;
  const int needed = used + n;
  if (needed <= capacity_) return true;
  int capacity = onHeap() ? capacity_ : kFirstHeapSize;
  while (capacity < needed) capacity += std::min(capacity, kMaxGrowthStep);
  uint8_t* block;
  if (onHeap()) {
    block = static_cast<uint8_t*>(std::realloc(data_, capacity));
    if (!block) return false;
  } else {
    block = static_cast<uint8_t*>(std::malloc(capacity));
    if (!block) return false;
    std::memcpy(block, inline_, used);
  }
  data_ = block;
  capacity_ = capacity;
  end_ = block + used;
  return true;
}

uint8_t* MemBuf::reserve(int n) {
  if (!growFor(n)) return nullptr;
  uint8_t* at = end_;
  end_ += n;
  return at;
}

int MemBuf::write(const void* bytes, int n) {
  uint8_t* at = reserve(n);
  if (!at) return -1;
  if (n > 0) std::memcpy(at, bytes, n);
  return n;
}

uint8_t* MemBuf::detach() {
  const int used = size();
  uint8_t* block;
  if (onHeap()) {
    block = data_;
  } else {
    block = static_cast<uint8_t*>(std::malloc(std::max(used, 1)));
    if (!block) return nullptr;
    std::memcpy(block, inline_, used);
  }
  data_ = inline_;
  capacity_ = kInlineSize;
  end_ = inline_;
  return block;
}

}  // namespace kvx::conf
