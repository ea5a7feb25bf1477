#pragma once
// Blowfish in 64-bit cipher-feedback mode over a byte stream, keyed by the
// MD5 digest of a pass phrase. The ciphertext has exactly the plaintext's
// length, and a stream gives the same bytes however it is split into calls.
#include "format/blowfish.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kvx {

// The 16-byte Blowfish key of a pass phrase: its MD5 digest with bytes
// keyBytes..15 set to zero (keyBytes is clamped to 0..16).
std::array<uint8_t, 16> passPhraseKey(std::string_view passPhrase, int keyBytes);

class Cfb64 {
 public:
  explicit Cfb64(const std::array<uint8_t, 16>& key) : cipher_(key.data(), key.size()) {}

  // `in` and `out` may be the same buffer.
  void encipher(const uint8_t* in, uint8_t* out, size_t length);
  void decipher(const uint8_t* in, uint8_t* out, size_t length);

 private:
  template <bool Encipher>
  void run(const uint8_t* in, uint8_t* out, size_t length);

  Blowfish cipher_;
  uint8_t register_[8] = {};
  unsigned position_ = 0;
};

}  // namespace kvx
