#pragma once
// The Blowfish block cipher (64-bit blocks, keys of 1 to 72 bytes).
#include <cstddef>
#include <cstdint>

namespace kvx {

class Blowfish {
 public:
  // Builds the key schedule; the key bytes are cycled to fill the P-array.
  // Keys longer than 72 bytes are cut to 72.
  Blowfish(const uint8_t* key, size_t length);

  // One block as two 32-bit halves, left half first.
  void encrypt(uint32_t& left, uint32_t& right) const;
  void decrypt(uint32_t& left, uint32_t& right) const;
  // One 8-byte block in place, halves read and written big-endian.
  void encryptBlock(uint8_t block[8]) const;

 private:
  uint32_t round(uint32_t x) const {
    return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
  }

  uint32_t p_[18];
  uint32_t s_[4][256];
};

}  // namespace kvx
