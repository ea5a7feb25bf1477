#pragma once
// MD4 (RFC 1320) for conference file hashes and MD5 (RFC 1321) for the
// pass-phrase key and proxy Digest authentication; both take bytes in pieces
// and give 16-byte digests.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kvx {

using Digest16 = std::array<uint8_t, 16>;

// The shared block bookkeeping of both digests: 64-byte blocks, a bit
// count, and the padding that ends the message.
class BlockDigest {
 public:
  void update(const void* data, size_t length);
  void update(std::string_view text) { update(text.data(), text.size()); }
  // Pads, finishes and returns the digest; the object is spent afterwards.
  Digest16 finish();

 protected:
  BlockDigest();
  virtual ~BlockDigest() = default;
  virtual void transform(const uint8_t block[64]) = 0;
  uint32_t state_[4];

 private:
  uint64_t bitCount_ = 0;
  uint8_t buffer_[64];
};

class Md4 : public BlockDigest {
 protected:
  void transform(const uint8_t block[64]) override;
};

class Md5 : public BlockDigest {
 public:
  static Digest16 of(std::string_view text);

 protected:
  void transform(const uint8_t block[64]) override;
};

// 32 lowercase hex digits.
std::string toHex(const Digest16& digest);

}  // namespace kvx
