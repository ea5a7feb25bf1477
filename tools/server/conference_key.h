#pragma once
// Conferences are named by a keyed hash of (file hash, password), so that
// shared state never holds a password and a lookup tells nothing about how
// close a guess came.
#include <cstdint>
#include <string>

namespace kvx::server {

class ConferenceKeyMaker {
 public:
  // An empty secret draws a random one: enough for a server working alone.
  explicit ConferenceKeyMaker(std::string secret);
  // Hex of HMAC-SHA256(secret, file hash || 16-byte password).
  std::string key(const std::string& fileHash, const uint8_t* password) const;

 private:
  std::string secret_;
};

}  // namespace kvx::server
