#pragma once
// MD5 message digest (RFC 1321).
#include <array>
#include <cstddef>
#include <cstdint>

namespace kvx {

class Md5 {
 public:
  Md5();
  void update(const uint8_t* data, size_t length);
  // Pads, finishes and returns the 16-byte digest; the object is then spent.
  std::array<uint8_t, 16> finish();

  static std::array<uint8_t, 16> digest(const uint8_t* data, size_t length);

 private:
  void transform(const uint8_t block[64]);

  uint32_t state_[4];
  uint64_t bitCount_ = 0;
  uint8_t buffer_[64];
};

}  // namespace kvx
