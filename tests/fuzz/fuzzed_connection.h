#pragma once
// A connection that delivers fuzz input in pieces of at most `maxPiece`
// bytes and swallows whatever is written.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "net_stream.h"

namespace kvx::fuzz {

class FuzzedConnection : public conf::NetStream {
 public:
  FuzzedConnection(std::string_view input, int maxPiece) : input_(input), maxPiece_(maxPiece) {}
  int read(void* buffer, int n) override {
    const size_t count = std::min({static_cast<size_t>(std::max(n, 0)), static_cast<size_t>(maxPiece_), input_.size()});
    std::memcpy(buffer, input_.data(), count);
    input_.remove_prefix(count);
    return static_cast<int>(count);
  }
  int write(const void*, int n) override { return n; }
  void setNotify(bool) override {}
  bool exhausted() const { return input_.empty(); }

 private:
  std::string_view input_;
  int maxPiece_;
};

}  // namespace kvx::fuzz
