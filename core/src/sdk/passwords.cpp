#include "sdk/passwords.h"

#include <strings.h>

namespace kvx {

constexpr size_t kMaxPasswordLength = 63;

std::string shiftPassword(const std::string& plain) {
  std::string shifted = plain;
  for (char& c : shifted) c = static_cast<char>(static_cast<unsigned char>(c) + 7);
  return shifted;
}

std::string unshiftPassword(const std::string& shifted) {
  std::string plain = shifted;
  for (char& c : plain) c = static_cast<char>(static_cast<unsigned char>(c) - 7);
  return plain;
}

bool passwordMatches(const std::string& shiftedStored, const char* given) {
  if (!given) return false;
  const std::string stored = unshiftPassword(shiftedStored).substr(0, kMaxPasswordLength);
  const std::string offered = std::string(given).substr(0, kMaxPasswordLength);
  return strcasecmp(stored.c_str(), offered.c_str()) == 0;
}

}  // namespace kvx
