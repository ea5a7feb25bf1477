#pragma once
// Reference counting shared by the control's COM-shaped objects.
#include <atomic>
#include <cstdint>

namespace glimmer {

class RefCount {
 public:
  uint32_t add() { return ++count_; }
  // True when the last reference went.
  bool release(uint32_t& left) {
    left = --count_;
    return left == 0;
  }

 private:
  std::atomic<uint32_t> count_{1};
};

}  // namespace glimmer
