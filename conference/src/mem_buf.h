#pragma once
// A growable byte buffer that message objects are serialised into. Small
// contents stay in an inline area; larger ones move to a heap block that
// grows by doubling, at most 20000 bytes a step.
#include <cstdint>

namespace kvx::conf {

class MemBuf {
 public:
  static constexpr int kInlineSize = 200;
  static constexpr int kFirstHeapSize = 400;
  static constexpr int kMaxGrowthStep = 20000;

  MemBuf();
  ~MemBuf();
  MemBuf(const MemBuf&) = delete;
  MemBuf& operator=(const MemBuf&) = delete;

  // Appends n bytes; returns n, or -1 when the buffer cannot grow.
  int write(const void* bytes, int n);
  // n writable bytes at the end, counted as used; null when growth fails.
  uint8_t* reserve(int n);
  int size() const { return static_cast<int>(end_ - data_); }
  int capacity() const { return capacity_; }
  bool onHeap() const { return data_ != inline_; }
  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  // Hands the content over as a block the caller frees with std::free (null
  // when empty or when it cannot be copied); the buffer is empty afterwards.
  uint8_t* detach();
  // Size 0, storage kept.
  void reset() { end_ = data_; }

 private:
  bool growFor(int n);

  uint8_t inline_[kInlineSize];
  uint8_t* data_;
  int capacity_;
  uint8_t* end_;
};

}  // namespace kvx::conf
