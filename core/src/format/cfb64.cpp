#include "format/cfb64.h"

#include "format/md5.h"

#include <algorithm>

namespace kvx {

std::array<uint8_t, 16> passPhraseKey(std::string_view passPhrase, int keyBytes) {
  std::array<uint8_t, 16> key =
      Md5::digest(reinterpret_cast<const uint8_t*>(passPhrase.data()), passPhrase.size());
  std::fill(key.begin() + std::clamp(keyBytes, 0, 16), key.end(), 0);
  return key;
}

void Cfb64::encipher(const uint8_t* in, uint8_t* out, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (position_ == 0) cipher_.encryptBlock(register_);
    const uint8_t c = in[i] ^ register_[position_];
    register_[position_] = c;
    out[i] = c;
    position_ = (position_ + 1) & 7;
  }
}

void Cfb64::decipher(const uint8_t* in, uint8_t* out, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (position_ == 0) cipher_.encryptBlock(register_);
    const uint8_t c = in[i];
    out[i] = c ^ register_[position_];
    register_[position_] = c;
    position_ = (position_ + 1) & 7;
  }
}

}  // namespace kvx
