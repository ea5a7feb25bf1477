#include "conference_key.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <stdexcept>

namespace kvx::server {

ConferenceKeyMaker::ConferenceKeyMaker(std::string secret) : secret_(std::move(secret)) {
  if (!secret_.empty()) return;
  secret_.resize(32);
  if (RAND_bytes(reinterpret_cast<unsigned char*>(secret_.data()), static_cast<int>(secret_.size())) != 1)
    throw std::runtime_error("no random bytes for the conference key secret");
}

std::string ConferenceKeyMaker::key(const std::string& fileHash, const uint8_t* password) const {
  std::string message = fileHash;
  message.append(reinterpret_cast<const char*>(password), 16);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  HMAC(EVP_sha256(), secret_.data(), static_cast<int>(secret_.size()),
       reinterpret_cast<const unsigned char*>(message.data()), message.size(), digest, &length);
  static const char* const kHex = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex += kHex[digest[i] >> 4];
    hex += kHex[digest[i] & 15];
  }
  return hex;
}

}  // namespace kvx::server
