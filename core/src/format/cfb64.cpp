#include "format/cfb64.h"

#include "services/digests.h"

#include <algorithm>
#include <cstring>

namespace kvx {

std::array<uint8_t, 16> passPhraseKey(std::string_view passPhrase, int keyBytes) {
  std::array<uint8_t, 16> key = Md5::of(passPhrase);
  std::fill(key.begin() + std::clamp(keyBytes, 0, 16), key.end(), 0);
  return key;
}

// Bytes up to the next block boundary and after the last whole block go one
// at a time; whole blocks go eight bytes at once.
template <bool Encipher>
void Cfb64::run(const uint8_t* in, uint8_t* out, size_t length) {
  auto oneByte = [this](uint8_t from) {
    if (position_ == 0) cipher_.encryptBlock(register_);
    const uint8_t result = from ^ register_[position_];
    register_[position_] = Encipher ? result : from;
    position_ = (position_ + 1) & 7;
    return result;
  };
  size_t i = 0;
  for (; i < length && position_ != 0; ++i) out[i] = oneByte(in[i]);
  for (; i + 8 <= length; i += 8) {
    cipher_.encryptBlock(register_);
    uint64_t text, pad;
    std::memcpy(&text, in + i, 8);
    std::memcpy(&pad, register_, 8);
    const uint64_t result = text ^ pad;
    std::memcpy(out + i, &result, 8);
    std::memcpy(register_, Encipher ? &result : &text, 8);
  }
  for (; i < length; ++i) out[i] = oneByte(in[i]);
}

void Cfb64::encipher(const uint8_t* in, uint8_t* out, size_t length) { run<true>(in, out, length); }

void Cfb64::decipher(const uint8_t* in, uint8_t* out, size_t length) { run<false>(in, out, length); }

}  // namespace kvx
