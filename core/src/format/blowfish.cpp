#include "format/blowfish.h"

#include "format/blowfish_tables.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kvx {

Blowfish::Blowfish(const uint8_t* key, size_t length) {
  std::memcpy(p_, kBlowfishInitP, sizeof p_);
  std::memcpy(s_, kBlowfishInitS, sizeof s_);
  length = std::min<size_t>(length, 72);
  if (length > 0) {
    size_t at = 0;
    for (uint32_t& entry : p_) {
      uint32_t word = 0;
      for (int i = 0; i < 4; ++i, at = (at + 1) % length) word = (word << 8) | key[at];
      entry ^= word;
    }
  }
  uint32_t left = 0, right = 0;
  for (int i = 0; i < 18; i += 2) {
    encrypt(left, right);
    p_[i] = left;
    p_[i + 1] = right;
  }
  for (auto& box : s_) {
    for (int i = 0; i < 256; i += 2) {
      encrypt(left, right);
      box[i] = left;
      box[i + 1] = right;
    }
  }
}

void Blowfish::encrypt(uint32_t& left, uint32_t& right) const {
  uint32_t l = left, r = right;
  for (int i = 0; i < 16; i += 2) {
    l ^= p_[i];
    r ^= round(l);
    r ^= p_[i + 1];
    l ^= round(r);
  }
  left = r ^ p_[17];
  right = l ^ p_[16];
}

void Blowfish::decrypt(uint32_t& left, uint32_t& right) const {
  uint32_t l = left, r = right;
  for (int i = 17; i > 1; i -= 2) {
    l ^= p_[i];
    r ^= round(l);
    r ^= p_[i - 1];
    l ^= round(r);
  }
  left = r ^ p_[0];
  right = l ^ p_[1];
}

void Blowfish::encryptBlock(uint8_t block[8]) const {
  auto load = [](const uint8_t* b) {
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
  };
  auto store = [](uint8_t* b, uint32_t v) {
    b[0] = static_cast<uint8_t>(v >> 24);
    b[1] = static_cast<uint8_t>(v >> 16);
    b[2] = static_cast<uint8_t>(v >> 8);
    b[3] = static_cast<uint8_t>(v);
  };
  uint32_t left = load(block), right = load(block + 4);
  encrypt(left, right);
  store(block, left);
  store(block + 4, right);
}

}  // namespace kvx
