#include "services/digests.h"

#include <algorithm>
#include <cstring>

namespace kvx {

namespace {
uint32_t rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

void decodeWords(const uint8_t block[64], uint32_t x[16]) {
  for (int i = 0; i < 16; ++i)
    x[i] = block[4 * i] | (block[4 * i + 1] << 8) | (block[4 * i + 2] << 16) | (uint32_t(block[4 * i + 3]) << 24);
}
}  // namespace

BlockDigest::BlockDigest() : state_{0x67452301u, 0xefcdab89u, 0x98badcfeu, 0x10325476u} {}

void BlockDigest::update(const void* data, size_t length) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  size_t filled = (bitCount_ / 8) % 64;
  bitCount_ += static_cast<uint64_t>(length) * 8;
  while (length > 0) {
    const size_t take = std::min(length, 64 - filled);
    std::memcpy(buffer_ + filled, bytes, take);
    filled += take;
    bytes += take;
    length -= take;
    if (filled == 64) {
      transform(buffer_);
      filled = 0;
    }
  }
}

Digest16 BlockDigest::finish() {
  uint8_t lengthBytes[8];
  for (int i = 0; i < 8; ++i) lengthBytes[i] = static_cast<uint8_t>(bitCount_ >> (8 * i));
  const size_t filled = (bitCount_ / 8) % 64;
  const size_t padding = filled < 56 ? 56 - filled : 120 - filled;
  static const uint8_t pad[64] = {0x80};
  update(pad, padding);
  update(lengthBytes, 8);
  Digest16 digest;
  for (int i = 0; i < 16; ++i) digest[i] = static_cast<uint8_t>(state_[i / 4] >> (8 * (i % 4)));
  return digest;
}

void Md4::transform(const uint8_t block[64]) {
  uint32_t x[16];
  decodeWords(block, x);
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  auto f = [](uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (~x & z); };
  auto g = [](uint32_t x, uint32_t y, uint32_t z) { return (x & y) | (x & z) | (y & z); };
  auto h = [](uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; };
  static const int r1[4] = {3, 7, 11, 19}, r2[4] = {3, 5, 9, 13}, r3[4] = {3, 9, 11, 15};
  for (int i = 0; i < 16; ++i) {
    const uint32_t t = rotl(a + f(b, c, d) + x[i], r1[i % 4]);
    a = d, d = c, c = b, b = t;
  }
  static const int order2[16] = {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15};
  for (int i = 0; i < 16; ++i) {
    const uint32_t t = rotl(a + g(b, c, d) + x[order2[i]] + 0x5a827999u, r2[i % 4]);
    a = d, d = c, c = b, b = t;
  }
  static const int order3[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
  for (int i = 0; i < 16; ++i) {
    const uint32_t t = rotl(a + h(b, c, d) + x[order3[i]] + 0x6ed9eba1u, r3[i % 4]);
    a = d, d = c, c = b, b = t;
  }
  state_[0] += a, state_[1] += b, state_[2] += c, state_[3] += d;
}

void Md5::transform(const uint8_t block[64]) {
  static const uint32_t k[64] = {
      0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
      0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
      0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
      0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
      0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
      0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
      0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
      0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};
  static const int shifts[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};
  uint32_t x[16];
  decodeWords(block, x);
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  for (int i = 0; i < 64; ++i) {
    const int round = i / 16;
    uint32_t mixed;
    int word;
    switch (round) {
      case 0: mixed = (b & c) | (~b & d), word = i; break;
      case 1: mixed = (d & b) | (~d & c), word = (5 * i + 1) % 16; break;
      case 2: mixed = b ^ c ^ d, word = (3 * i + 5) % 16; break;
      default: mixed = c ^ (b | ~d), word = (7 * i) % 16; break;
    }
    const uint32_t t = d;
    d = c;
    c = b;
    b = b + rotl(a + mixed + k[i] + x[word], shifts[round][i % 4]);
    a = t;
  }
  state_[0] += a, state_[1] += b, state_[2] += c, state_[3] += d;
}

Digest16 Md5::of(std::string_view text) {
  Md5 md5;
  md5.update(text);
  return md5.finish();
}

std::string toHex(const Digest16& digest) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t byte : digest) {
    hex += digits[byte >> 4];
    hex += digits[byte & 15];
  }
  return hex;
}

}  // namespace kvx
