#pragma once
// A NetStream over bytes in memory: reads hand out the input in pieces of
// at most `maxPiece` bytes, writes collect the output the same way.
#include <algorithm>
#include <cstring>
#include <string>

#include "net_stream.h"

namespace kvx::test {

class MemoryNetStream : public conf::NetStream {
 public:
  explicit MemoryNetStream(std::string input = {}, int maxPiece = 1 << 20)
      : input_(std::move(input)), maxPiece_(maxPiece) {}

  int read(void* buffer, int n) override {
    const int count = std::min({n, maxPiece_, static_cast<int>(input_.size() - at_)});
    std::memcpy(buffer, input_.data() + at_, count);
    at_ += count;
    return count;
  }
  int write(const void* buffer, int n) override {
    const int count = std::min(n, maxPiece_);
    output.append(static_cast<const char*>(buffer), count);
    return count;
  }
  void setNotify(bool) override {}

  size_t consumed() const { return at_; }
  std::string output;

 private:
  std::string input_;
  size_t at_ = 0;
  int maxPiece_;
};

}  // namespace kvx::test
